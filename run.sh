#!/usr/bin/env bash
# Builds and starts the calculator, installing what is missing.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh build-essential cmake libgtest-dev libgmp-dev qt6-base-dev fonts-liberation
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)" --target quorvel quorvel-cli
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/quorvel "$@"
fi
cat <<'MSG'
No display found, so the desktop calculator cannot open its window.
Start it on a virtual display instead:
    sudo apt-get install -y xvfb xauth && xvfb-run build/quorvel
or use the command-line calculator, which takes the key labels:
    build/quorvel-cli 2 + 3 '*' 4 =
    echo '1 << 100 =' | build/quorvel-cli
For example, 100 n! shows:
MSG
build/quorvel-cli 100 'n!'
