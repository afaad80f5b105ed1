#!/usr/bin/env bash
# Runs a program of the web build under node and the same program of the desktop build, with the
# same arguments, and fails unless both print the same, byte for byte, on stdout and stderr and
# exit alike. Exits with that shared status, so a test also sees a failing run as one.
# Usage: scripts/node_matches.sh PROGRAM.js [ARG...] -- DESKTOP_COMMAND...
#   e.g. scripts/node_matches.sh build-web/burrowgale-verify.js a.replay -- build/burrowgale --verify
set -uo pipefail

script=$1
shift
args=()
while (($# > 0)) && [[ $1 != -- ]]; do
    args+=("$1")
    shift
done
(($# > 1)) || { echo "usage: $0 PROGRAM.js [ARG...] -- DESKTOP_COMMAND..." >&2; exit 2; }
shift
[[ -f $script ]] || { echo "FAIL: no $script: build it with ./web.sh" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
node "$script" "${args[@]}" >"$work/node.out" 2>"$work/node.err"
node_status=$?
"$@" "${args[@]}" >"$work/desktop.out" 2>"$work/desktop.err"
desktop_status=$?

same=yes
for stream in out err; do
    if ! cmp -s "$work/node.$stream" "$work/desktop.$stream"; then
        echo "FAIL: std$stream differs between node (<) and the desktop (>):" >&2
        diff "$work/node.$stream" "$work/desktop.$stream" | head -20 >&2
        same=no
    fi
done
if ((node_status != desktop_status)); then
    echo "FAIL: node exited $node_status, the desktop $desktop_status" >&2
    same=no
fi
[[ $same == yes ]] || exit 1
cat "$work/node.out"
cat "$work/node.err" >&2
exit "$node_status"
