#!/usr/bin/env bash
# The real program keeping every replay through a records file that went bad: two games given
# up leave two record replays; the player adds one of their own and the records file turns to
# garbage; after a third game the bad file is set aside and all three replays are still there.
# Usage: scripts/e2e_replays_kept.sh path/to/burrowgale   (run from anywhere)
set -euo pipefail

binary=$(realpath "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
fail_context="replays kept"
# shellcheck source=scripts/e2e_lib.sh
source "$root/scripts/e2e_lib.sh"
require_tools Xvfb xdpyinfo xdotool import /usr/bin/convert
start_xvfb
preload=$(sanitizer_preload "$binary")
data="$XDG_DATA_HOME/burrowgale"
records="$data/records.txt"
replays="$data/replays"

cd "$root"
start_game() {
    env -u SDL_VIDEODRIVER LD_PRELOAD="$preload" SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy \
        "$binary" 2>>"$work/stderr" &
    game_pid=$!
    window=$(wait_for_window)
    xdotool windowfocus --sync "$window"
    # The title reads keys once it draws: wait for a frame that is not all black.
    local _
    for _ in $(seq 100); do
        import -window "$window" "$work/title.png"
        [[ "$(/usr/bin/convert "$work/title.png" -format '%[fx:maxima>0?1:0]' info:)" == 1 ]] &&
            return 0
        sleep 0.2
    done
    fail "the title was never drawn"
}
# Escape on the title ends the program, with status 0.
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
stored() { { md5sum <"$records"; } 2>/dev/null || true; }

record_replays() { find "$replays" -name '*Z-*.replay' 2>/dev/null | sort; }
# From the title: a game, given up from the pause, stored; then its results, and back.
play_and_give_up() {
    local before _
    before=$(stored)
    xdotool key Return
    sleep 1
    xdotool key Escape  # pause
    sleep 0.3
    xdotool key Escape  # give up
    for _ in $(seq 100); do
        [[ -s "$records" && "$(stored)" != "$before" ]] && break
        sleep 0.1
    done
    [[ -s "$records" && "$(stored)" != "$before" ]] ||
        fail "giving up the game stored nothing in $records"
    sleep 3.5           # the fade to the results
    xdotool key Return  # back to the title
    sleep 0.5
}

start_game
play_and_give_up
play_and_give_up
quit_with_escape
mapfile -t first < <(record_replays)
((${#first[@]} == 2)) || fail "not two record replays after two games: ${first[*]}"

printf 'my own replay' >"$replays/mine.replay"
printf '\x7fELF garbage\x00\x01' >"$records"
start_game  # reads the bad file at the start: nothing of that table is in memory
play_and_give_up
quit_with_escape

for kept in "${first[@]}"; do
    [[ -s "$kept" ]] || fail "$kept is gone after a game with a bad records file"
done
[[ "$(cat "$replays/mine.replay")" == "my own replay" ]] || fail "mine.replay is gone or changed"
mapfile -t after < <(record_replays)
((${#after[@]} == 3)) || fail "not three record replays after the third game: ${after[*]}"
mapfile -t aside < <(find "$data" -maxdepth 1 -name 'records.txt.bad-*')
((${#aside[@]} == 1)) || fail "the bad records file was not set aside once: ${aside[*]}"
cmp -s "${aside[0]}" <(printf '\x7fELF garbage\x00\x01') || fail "the set-aside file changed"
grep -q "kept as ${aside[0]}" "$work/stderr" || fail "no line saying where the bad file went"

echo "a bad records file set aside; both record replays and the player's own replay kept"
