#!/usr/bin/env bash
# Without any display the program must refuse to start, say why, and exit with status 1.
# Usage: scripts/e2e_no_display.sh path/to/burrowgale
set -uo pipefail

binary=$(realpath "$1")
cd "$(dirname "$0")/.."
work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT
# Records and settings, if any were touched, in the scratch folder, never in the real home.
stderr=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
    XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    timeout 60 "$binary" 2>&1 >/dev/null)
status=$?
if [[ "$status" -ne 1 ]]; then
    echo "FAIL: exit status $status, not 1; stderr: $stderr" >&2
    exit 1
fi
if ! grep -q '^Unable to create window: ' <<<"$stderr"; then
    echo "FAIL: no 'Unable to create window: ...' line; stderr: $stderr" >&2
    exit 1
fi
echo "refused without a display, as expected"
