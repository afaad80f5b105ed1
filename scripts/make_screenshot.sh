#!/usr/bin/env bash
# Regenerates docs/screenshot.png, the picture of play shown in the README, with the preview
# program (no display needed). Pass an output directory to get all of the preview pictures
# instead: scripts/make_screenshot.sh --all out/preview
#
# BUILD_DIR picks the build directory (default: build), JOBS the build parallelism (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target preview -j "${JOBS:-2}"
if [[ "${1:-}" == "--all" ]]; then
    "$build_dir/tools/preview" "${2:-out/preview}"
else
    mkdir -p docs
    "$build_dir/tools/preview" --screenshot docs/screenshot.png
fi
