#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build -G Ninja -DBURROWGALE_TESTS=OFF >/dev/null
cmake --build build --target burrowgale
exec build/burrowgale   # from the repository root, so that content/ is found
