#!/usr/bin/env bash
# Builds and starts the calculator, installing what is missing.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh build-essential cmake libgtest-dev libgmp-dev
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)"
echo "The calculator program is not built yet: so far Quorvel has its number core"
echo "(tested by ./test.sh) and a benchmark against GMP: build/quorvel-bench."
