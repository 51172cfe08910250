#!/usr/bin/env bash
# Builds Quorvel and runs every test through CTest, installing what is missing.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh build-essential cmake libgtest-dev libgmp-dev qt6-base-dev fonts-liberation groff-base
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
