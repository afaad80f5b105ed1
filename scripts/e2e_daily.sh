#!/usr/bin/env bash
# The real game and the real leaderboard server on a private virtual X server: the day's ranked
# run, played from the title's daily key while the server is down, waits in the data folder; the
# next start of the game sends it to the server, now up on the same address; the server ranks it
# with the depth and length it computed itself, the same the game kept, and the game keeps its
# rank. The day is today's UTC date on both sides, as players meet it.
# Usage: scripts/e2e_daily.sh SERVER GAME   (run from anywhere)
set -euo pipefail

server_bin=$(realpath "$1")
binary=$(realpath "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
fail_context="daily dig"
# shellcheck source=scripts/e2e_lib.sh
source "$root/scripts/e2e_lib.sh"
require_tools Xvfb xdpyinfo xdotool import /usr/bin/convert /usr/bin/compare curl
server_pid=""
stop_all() {
    if [[ -n "$server_pid" ]] && kill -0 "$server_pid" 2>/dev/null; then kill -KILL "$server_pid"; fi
    cleanup
}
trap stop_all EXIT
start_xvfb
preload=$(sanitizer_preload "$binary")
daily_log="$XDG_DATA_HOME/burrowgale/daily/daily.txt"
settings="$XDG_CONFIG_HOME/burrowgale/settings.txt"

cd "$root"
# start_server ADDRESS: the server on a scratch database; sets $port.
start_server() {
    : >"$work/server.out"
    "$server_bin" --db "$work/runs.db" --listen "$1" >"$work/server.out" 2>>"$work/server.err" &
    server_pid=$!
    wait_until "the server to listen" 60 _listening
    port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\),.*/\1/p' "$work/server.out")
    [[ -n "$port" ]] || fail "the server did not say where it listens: $(cat "$work/server.out")"
}
_listening() {
    kill -0 "$server_pid" 2>/dev/null || fail "the server did not start: $(cat "$work/server.err")"
    grep -q listening "$work/server.out"
}
stop_server() {
    kill -TERM "$server_pid"
    wait "$server_pid" || fail "the server did not stop cleanly on SIGTERM"
    server_pid=""
}
# The state of the one day in the game's daily log, and a field of its line.
state_is() { grep -q "state=$1 " "$daily_log" 2>/dev/null; }
field() { sed -n "s/^\(.* \)\?$1=\([^ ]*\).*/\2/p" "$daily_log"; }

# A free port, from the server itself; then nothing listens there: the server is down.
start_server 127.0.0.1:0
stop_server
url=http://127.0.0.1:$port

# The first start: the ranked run of the day, given up at once, cannot be sent.
start_game --server "$url" --name Digger
settle_title title
xdotool key l  # the daily dig
wait_until "the daily game" 120 left_screen title
shot playing
xdotool key Escape  # pause
wait_until "the pause" 120 darker_than playing
xdotool key Escape  # give up: the ranked try is used all the same
wait_until "the results" 120 results_shown
wait_until "the ranked run to wait in $daily_log" 120 state_is pending
wait_until "the game to say the run waits" 120 grep -q 'the daily run waits$' "$work/stderr"
date=$(field date)
[[ -s "$XDG_DATA_HOME/burrowgale/daily/$date.replay" ]] || fail "the ranked run's replay is not kept"
xdotool key Return  # back to the title
wait_until "the title after the results" 120 back_to title
quit_with_escape
grep -qx "leaderboard_url = $url" "$settings" || fail "--server was not saved: $(cat "$settings")"

# The server up on the same address; the next start sends the waiting run by itself.
start_server "127.0.0.1:$port"
start_game
settle_title second_title
wait_until "the waiting run to be sent and ranked" 120 state_is sent
[[ "$(field rank) of $(field of)" == "1 of 1" ]] || fail "not ranked 1 of 1: $(cat "$daily_log")"
quit_with_escape

# The server's board of the day: the run, ranked on the figures it computed, which are the
# game's own.
curl -sS -f -o "$work/board.json" "$url/api/v1/daily/$date" || fail "no board for $date"
grep -q '"runs":\[{"rank":1,"name":"Digger",' "$work/board.json" ||
    fail "the run is not first on the board: $(cat "$work/board.json")"
[[ $(grep -o '"rank":' "$work/board.json" | wc -l) == 1 ]] || fail "not one run: $(cat "$work/board.json")"
board_depth=$(sed -n 's/.*"depth":\([^,]*\),.*/\1/p' "$work/board.json")
board_length=$(sed -n 's/.*"length":\([^,]*\),.*/\1/p' "$work/board.json")
awk -v a="$board_depth" -v b="$(field depth)" -v c="$board_length" -v d="$(field length)" \
    'BEGIN { exit !(a + 0 == b + 0 && c + 0 == d + 0) }' ||
    fail "the server's figures $board_depth m, $board_length differ from the game's: $(cat "$daily_log")"
stop_server

if grep -v -e '^Unable to load ' -e "^Couldn't load " -e 'the daily run waits$' "$work/stderr" \
    >"$work/unexpected"; then
    fail "unexpected lines on stderr: $(cat "$work/unexpected")"
fi
echo "the daily run of $date waited while the server was down, was sent at the next start," \
    "and ranked 1 of 1 at ${board_depth} m"
