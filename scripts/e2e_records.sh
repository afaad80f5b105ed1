#!/usr/bin/env bash
# The real program keeping a record between runs, on a private virtual X server with its own
# data and configuration folders: F on the title only switches the window (twice: back as it
# was, and saved so) and starts no game; a game given up with Escape twice shows the results and
# is stored; Escape on the title ends the program with status 0; the next run's title shows the
# best depth.
# Usage: scripts/e2e_records.sh path/to/burrowgale   (run from anywhere)
set -euo pipefail

binary=$(realpath "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
fail_context="records"
# shellcheck source=scripts/e2e_lib.sh
source "$root/scripts/e2e_lib.sh"
require_tools Xvfb xdpyinfo xdotool import /usr/bin/convert /usr/bin/compare
start_xvfb
preload=$(sanitizer_preload "$binary")
records="$XDG_DATA_HOME/burrowgale/records.txt"

cd "$root"
start_game() {
    env -u SDL_VIDEODRIVER LD_PRELOAD="$preload" SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy \
        "$binary" 2>>"$work/stderr" &
    game_pid=$!
    window=$(wait_for_window)
    xdotool windowfocus --sync "$window"
}
shot() { import -window "$window" "$work/$1.png"; }
# Whether two shots differ within a region (WxH+X+Y).
differs() {
    local any
    any=$(/usr/bin/convert "$work/$1.png" "$work/$2.png" -crop "$3" +repage \
        -compose difference -composite -format '%[fx:maxima>0?1:0]' info:)
    [[ "$any" == 1 ]]
}
# Whether a shot is black all over: a window mapped before its first frame is drawn.
blank() {
    [[ "$(/usr/bin/convert "$work/$1.png" -format '%[fx:maxima>0?1:0]' info:)" == 0 ]]
}
# Waits until the title above the blinking prompt is drawn and stops changing; keeps it as $1.png.
settle_title() {
    shot "$1"
    local _
    for _ in $(seq 40); do
        sleep 0.5
        shot "$1.again"
        if ! blank "$1" && ! differs "$1" "$1.again" 1280x660+0+0; then return 0; fi
        mv "$work/$1.again.png" "$work/$1.png"
    done
    fail "the title never settled"
}
# Escape on the title must end the program by itself, with status 0.
quit_with_escape() {
    xdotool key Escape
    local status=0 _
    for _ in $(seq 100); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$game_pid" 2>/dev/null && fail "Escape on the title did not end the program"
    wait "$game_pid" || status=$?
    game_pid=""
    [[ "$status" -eq 0 ]] || fail "exit status $status after Escape on the title, not 0"
}

settings="$XDG_CONFIG_HOME/burrowgale/settings.txt"
start_game
settle_title first_title
xdotool key f
sleep 1
xdotool key f
sleep 1
quit_with_escape
[[ ! -e "$records" ]] || fail "F on the title started a game: $(cat "$records")"
grep -qx 'fullscreen = no' "$settings" || fail "F twice did not leave the setting windowed"

start_game
settle_title first_title
[[ ! -e "$records" ]] || fail "a records file before any game: $(cat "$records")"

xdotool key Return
sleep 1.5
xdotool key Escape  # pause
sleep 0.5
xdotool key Escape  # give up
for _ in $(seq 50); do
    [[ -s "$records" ]] && break
    sleep 0.1
done
[[ -s "$records" ]] || fail "giving up stored no record in $records"
[[ "$(wc -l <"$records")" -eq 2 ]] || fail "not one record after one game: $(cat "$records")"
sleep 4  # the fade to the results takes 3 s

# The results picture fills the canvas at twice its size; above the text it must show as is.
shot results
/usr/bin/convert content/gameover.png -background black -flatten -sample 200% \
    -crop 1280x520+0+0 +repage "$work/expected.png"
/usr/bin/convert "$work/results.png" -crop 1280x520+0+0 +repage "$work/results_top.png"
differing=$(/usr/bin/compare -metric AE -fuzz 5% "$work/results_top.png" "$work/expected.png" \
    /dev/null 2>&1) || true
[[ "$differing" =~ ^[0-9]+$ ]] && ((differing < 1280 * 520 / 100)) ||
    fail "the results did not appear after Escape twice ($differing pixels differ)"

xdotool key Return  # back to the title
sleep 1
quit_with_escape

# The second run: the same title, with the best depth just above the prompt.
start_game
settle_title second_title
differs first_title second_title 1280x24+0+620 ||
    fail "the title shows no best depth on the next run"
if differs first_title second_title 1280x600+0+0; then
    fail "the title changed elsewhere than in the best-depth line"
fi
quit_with_escape

if grep -v -e '^Unable to load ' -e "^Couldn't load " "$work/stderr" >"$work/unexpected"; then
    fail "unexpected lines on stderr: $(cat "$work/unexpected")"
fi
echo "F switches the window alone; given up with Escape twice: results shown and stored;" \
    "Escape quits; best depth shown next run"
