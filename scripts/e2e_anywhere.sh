#!/usr/bin/env bash
# The program as built, started from a directory with no content/ of its own (as a player does
# with build/burrowgale from anywhere): it must find its pictures and sounds beside its own
# folder, show the title, and start a game without a single load message: a game given up
# with Escape twice is stored in the records.
# Usage: scripts/e2e_anywhere.sh path/to/burrowgale
set -euo pipefail

binary=$(realpath "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
fail_context="started elsewhere"
# shellcheck source=scripts/e2e_lib.sh
source "$root/scripts/e2e_lib.sh"
require_tools Xvfb xdpyinfo xdotool import /usr/bin/convert
start_xvfb
preload=$(sanitizer_preload "$binary")

mkdir "$work/elsewhere"
cd "$work/elsewhere"
env -u SDL_VIDEODRIVER LD_PRELOAD="$preload" SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy \
    "$binary" 2>"$work/stderr" &
game_pid=$!
window=$(wait_for_window)

# Without its content the title is black; with it, the picture shows.
shown=no
for _ in $(seq 60); do
    import -window "$window" "$work/shot.png"
    if [[ $(/usr/bin/convert "$work/shot.png" -format '%[fx:maxima>0?1:0]' info:) == 1 ]]; then
        shown=yes
        break
    fi
    sleep 0.5
done
[[ "$shown" == yes ]] || fail "the title picture never showed"

records="$XDG_DATA_HOME/burrowgale/records.txt"
[[ ! -e "$records" ]] || fail "a records file before any game"
xdotool windowfocus --sync "$window"
xdotool key Return
sleep 2
xdotool key Escape  # pause
sleep 0.5
xdotool key Escape  # give up
for _ in $(seq 100); do
    [[ -s "$records" ]] && break
    sleep 0.1
done
[[ "$(wc -l <"$records" 2>/dev/null)" == 2 ]] || fail "no game was started and stored"
stop_game
[[ ! -s "$work/stderr" ]] || fail "messages on stderr"
echo "started from an unrelated directory: title shown, game played and stored, everything loaded"
