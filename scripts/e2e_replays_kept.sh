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
require_tools Xvfb xdpyinfo xdotool import /usr/bin/convert /usr/bin/compare
start_xvfb
preload=$(sanitizer_preload "$binary")
data="$XDG_DATA_HOME/burrowgale"
records="$data/records.txt"
replays="$data/replays"

cd "$root"
# The title reads keys once it draws.
start_at_title() {
    start_game
    settle_title title
}
stored() { { md5sum <"$records"; } 2>/dev/null || true; }

record_replays() { find "$replays" -name '*Z-*.replay' 2>/dev/null | sort; }
# From the title: a game, given up from the pause, stored; then its results, and back.
play_and_give_up() {
    before=$(stored)
    give_up_a_game title
    wait_until "the game stored in $records" 120 stored_anew
    wait_until "the results" 120 results_shown
    xdotool key Return  # back to the title
    wait_until "the title after the results" 120 back_to title
}
stored_anew() { [[ -s "$records" && "$(stored)" != "$before" ]]; }

start_at_title
play_and_give_up
play_and_give_up
quit_with_escape
mapfile -t first < <(record_replays)
((${#first[@]} == 2)) || fail "not two record replays after two games: ${first[*]}"

printf 'my own replay' >"$replays/mine.replay"
printf '\x7fELF garbage\x00\x01' >"$records"
start_at_title  # reads the bad file at the start: nothing of that table is in memory
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
