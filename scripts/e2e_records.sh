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

settings="$XDG_CONFIG_HOME/burrowgale/settings.txt"
start_game
settle_title first_title
fullscreen_is() { grep -qx "fullscreen = $1" "$settings" 2>/dev/null; }
xdotool key f
wait_until "F to switch the window and the setting on" 120 fullscreen_is yes
xdotool key f
wait_until "F to switch the window and the setting off" 120 fullscreen_is no
quit_with_escape
[[ ! -e "$records" ]] || fail "F on the title started a game: $(cat "$records")"
grep -qx 'fullscreen = no' "$settings" || fail "F twice did not leave the setting windowed"

start_game
settle_title first_title
[[ ! -e "$records" ]] || fail "a records file before any game: $(cat "$records")"

give_up_a_game first_title
wait_until "a record in $records after giving up" 120 test -s "$records"
[[ "$(wc -l <"$records")" -eq 2 ]] || fail "not one record after one game: $(cat "$records")"
# The results picture fills the canvas at twice its size; above the text it must show as is.
wait_until "the results after Escape twice" 120 results_shown

xdotool key Return  # back to the title
wait_until "the title after the results" 120 back_to first_title
quit_with_escape

# The second run: the same title, with the best depth just above the prompt.
start_game
settle_title second_title
differs first_title second_title 1280x24+0+620 ||
    fail "the title shows no best depth on the next run"
if title_differs first_title second_title; then
    fail "the title changed elsewhere than in the best-depth line"
fi
quit_with_escape

if grep -v -e '^Unable to load ' -e "^Couldn't load " "$work/stderr" >"$work/unexpected"; then
    fail "unexpected lines on stderr: $(cat "$work/unexpected")"
fi
echo "F switches the window alone; given up with Escape twice: results shown and stored;" \
    "Escape quits; best depth shown next run"
