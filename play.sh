#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game with the arguments given
# (./play.sh --seed 5). The game starts in the caller's directory, so that files named on the
# command line are found there; it finds content/ beside its build folder on its own.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
(
    cd "$root"
    scripts/setup.sh
    cmake -S . -B build -G Ninja -DBURROWGALE_TESTS=OFF >/dev/null
    cmake --build build --target burrowgale
)
exec "$root/build/burrowgale" "$@"
