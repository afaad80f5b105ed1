#!/usr/bin/env bash
# The leaderboard server over real HTTP, with a scratch database: every answer of a submission
# (ranked, practice, assisted, and each refusal), the board as JSON and as a page with the names escaped,
# a stored replay downloaded and verified by the game, and no acknowledged run lost when the
# server is killed in the middle of a stream of submissions.
# Usage: scripts/e2e_server.sh SERVER RECORD_REPLAY GAME
set -euo pipefail

server_bin=$(realpath "$1")
record=$(realpath "$2")
game=$(realpath "$3")
work=$(realpath "$(mktemp -d)")
server_pid=""
cleanup() {
    if [[ -n "$server_pid" ]] && kill -0 "$server_pid" 2>/dev/null; then kill -KILL "$server_pid"; fi
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [[ -s "$work/server.err" ]] && { echo "--- the server's stderr:" >&2; tail -20 "$work/server.err" >&2; }
    exit 1
}
command -v curl >/dev/null || fail "curl is missing: run scripts/setup.sh --test"

# The server is told the time, so that the test's day stays open whatever the clock says.
day=2025-06-15
now=1749988800  # 2025-06-15 12:00 UTC
key_a=0123456789abcdef0123456789abcdef
key_b=FEDCBA9876543210FEDCBA9876543210
key_c=00000000111111112222222233333333

# Starts the server on a free port it picks; sets $url.
start_server() {
    "$server_bin" --db "$work/runs.db" --listen 127.0.0.1:0 --now "$now" "$@" \
        >"$work/server.out" 2>>"$work/server.err" &
    server_pid=$!
    local _
    for _ in $(seq 100); do
        grep -q listening "$work/server.out" 2>/dev/null && break
        kill -0 "$server_pid" 2>/dev/null || fail "the server did not start"
        sleep 0.05
    done
    local port
    port=$(sed -n 's/.*listening on 127.0.0.1:\([0-9]*\),.*/\1/p' "$work/server.out")
    [[ -n "$port" ]] || fail "the server did not say where it listens"
    url=http://127.0.0.1:$port
}
stop_server() {
    kill -TERM "$server_pid"
    wait "$server_pid" || fail "the server did not stop cleanly on SIGTERM"
    server_pid=""
}

# post DATE FILE KEY NAME [curl options...]: prints the status; the body goes to $work/body.
post() {
    local date=$1 file=$2 key=$3 name=$4
    shift 4
    curl -sS -o "$work/body" -D "$work/headers" -w '%{http_code}' -X POST \
        --data-binary "@$file" -H "Authorization: Bearer $key" -H "X-Player-Name: $name" "$@" \
        "$url/api/v1/daily/$date/runs"
}
# expect STATUS WHAT -- the status of a post, and a JSON error body for a refusal.
expect() {
    local want=$1 got=$2 what=$3
    [[ "$got" == "$want" ]] || fail "$what: got $got, not $want: $(cat "$work/body")"
    if ((want >= 400)); then
        grep -q '^{"error":"[^"]' "$work/body" || fail "$what: no JSON error: $(cat "$work/body")"
    fi
}

# Runs of the day (two pilots; the second on the seed the game gives the date), and one of the
# day before.
"$record" --daily "$day" --policy none --out "$work/a.replay" >/dev/null
"$record" --seed "$("$game" --daily-seed "$day")" --policy random --pilot-seed 7 \
    --out "$work/b.replay" >/dev/null
"$record" --daily 2025-06-14 --policy none --out "$work/other_day.replay" >/dev/null
"$record" --daily "$day" --policy none --speed 60 --out "$work/assisted.replay" >/dev/null

# Forgeries of run a: the depth it claims, and the game version it names (the first digit).
mapfile -t bytes < <(od -An -v -tu1 "$work/a.replay" | tr -s ' ' '\n' | sed '/^$/d')
pos=5  # past the magic and the format version
version_at=$((pos + 1))
((pos += bytes[pos] + 1))
skip_varint() { while ((bytes[pos] >= 128)); do ((pos += 1)); done; ((pos += 1)); }
skip_varint  # seed
skip_varint  # frame count
patch() {      # patch FILE OFFSET BYTE
    printf "\\$(printf '%03o' "$3")" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
cp "$work/a.replay" "$work/forged.replay"
patch "$work/forged.replay" $((pos + 6)) $((bytes[pos + 6] ^ 1))
cp "$work/a.replay" "$work/old_version.replay"
patch "$work/old_version.replay" "$version_at" $((bytes[version_at] == 57 ? 56 : 57))
head -c 3000 /dev/urandom >"$work/garbage.replay"
head -c $((5 << 20)) /dev/zero >"$work/huge.replay"

start_server --rate-limit 0

# Refusals first: none of them may be stored.
expect 400 "$(post "$day" "$work/garbage.replay" $key_a Ann)" "garbage"
expect 422 "$(post "$day" "$work/forged.replay" $key_a Ann)" "a forged depth"
expect 422 "$(post "$day" "$work/other_day.replay" $key_a Ann)" "another day's seed"
expect 422 "$(post "$day" "$work/old_version.replay" $key_a Ann)" "another game version"
expect 410 "$(post 2025-06-12 "$work/a.replay" $key_a Ann)" "a closed date"
expect 410 "$(post 2025-06-16 "$work/a.replay" $key_a Ann)" "a date not open yet"
expect 400 "$(post 2025-02-30 "$work/a.replay" $key_a Ann)" "no such date"
expect 413 "$(post "$day" "$work/huge.replay" $key_a Ann)" "an oversized body"
expect 413 "$(post "$day" "$work/huge.replay" $key_a Ann -H 'Expect:')" "an oversized body sent at once"
expect 413 "$(post "$day" "$work/huge.replay" $key_a Ann -H 'Transfer-Encoding: chunked')" \
    "an oversized body in chunks"
for bad_key in "" "${key_a:1}" "${key_a:1}g" "Basic $key_a"; do
    expect 400 "$(curl -sS -o "$work/body" -w '%{http_code}' --data-binary "@$work/a.replay" \
        -H "Authorization: Bearer $bad_key" -H "X-Player-Name: Ann" "$url/api/v1/daily/$day/runs")" \
        "the key '$bad_key'"
done
expect 400 "$(curl -sS -o "$work/body" -w '%{http_code}' --data-binary "@$work/a.replay" \
    -H "X-Player-Name: Ann" "$url/api/v1/daily/$day/runs")" "no key"
for bad_name in "" "   " "Seventeen letters" $'tab\there' "caf$(printf '\xc3\xa9')"; do
    expect 400 "$(post "$day" "$work/a.replay" $key_a "$bad_name")" "the name '$bad_name'"
done

# Ranked, then practice for the same key, and ranked for another key.
hostile='<i>&"Ann'"'"'</i> '
expect 201 "$(post "$day" "$work/a.replay" $key_a "$hostile")" "a first run"
grep -q '"rank":1,"of":1' "$work/body" || fail "the first run's rank: $(cat "$work/body")"
id_a=$(sed -n 's/.*"id":\([0-9]*\).*/\1/p' "$work/body")
expect 200 "$(post "$day" "$work/b.replay" "${key_a^^}" Ann)" "the same key again"
grep -q '"practice":true' "$work/body" || fail "not practice: $(cat "$work/body")"
expect 201 "$(post "$day" "$work/b.replay" $key_b Bob)" "another player"
grep -q '"of":2}' "$work/body" || fail "the second player's rank: $(cat "$work/body")"
# An assisted run, a key's first of the day: kept, but practice and never on the board.
expect 200 "$(post "$day" "$work/assisted.replay" $key_c Cy)" "an assisted run"
grep -q '"practice":true,"assisted":true}' "$work/body" || fail "not assisted practice: $(cat "$work/body")"

# The board: ranked runs only, best first, names as sent (trimmed) in JSON, escaped in HTML.
curl -sS -f -o "$work/board.json" "$url/api/v1/daily/$day?limit=10" || fail "no board"
[[ $(grep -o '"rank":' "$work/board.json" | wc -l) == 2 ]] || fail "not two ranked runs: $(cat "$work/board.json")"
! grep -q '"name":"Cy"' "$work/board.json" || fail "the assisted run is on the board"
grep -q "\"seed\":$(("$("$record" --daily "$day" --policy none --out "$work/x.replay" |
    sed -n 's/.*seed \([0-9]*\),.*/\1/p')"))" "$work/board.json" || fail "the board's seed"
grep -qF '"name":"<i>&\"Ann'"'"'</i>"' "$work/board.json" || fail "the JSON name: $(cat "$work/board.json")"
depth_a=$(sed -n 's/.*"depth":\([0-9.]*\),.*"id":'"$id_a"'}.*/\1/p' "$work/board.json")
depth_b=$(sed -n 's/.*"rank":2,"name":"Bob","depth":\([0-9.e-]*\),.*/\1/p' "$work/board.json")
[[ -n "$depth_b" ]] || fail "Bob is not second: $(cat "$work/board.json")"
awk -v a="${depth_a:-0}" -v b="$depth_b" 'BEGIN { exit !(a >= b) }' || fail "not ranked by depth"
curl -sS -f -o "$work/board.html" "$url/daily/$day" || fail "no board page"
grep -qF '&lt;i&gt;&amp;&quot;Ann&#39;&lt;/i&gt;' "$work/board.html" || fail "the page's name is not escaped"
! grep -qF '<i>&' "$work/board.html" || fail "the page shows the raw name"
curl -sS -f -o "$work/today.html" "$url/" || fail "no front page"
grep -qF "$day" "$work/today.html" || fail "the front page is not the day's board"
for bad in "$url/api/v1/daily/$day?limit=0" "$url/api/v1/daily/2025-6-15" "$url/api/v1/runs/999/replay" \
    "$url/no/such/thing"; do
    code=$(curl -sS -o "$work/body" -w '%{http_code}' "$bad")
    [[ $code == 400 || $code == 404 ]] || fail "$bad: $code"
    grep -q '^{"error":"' "$work/body" || fail "$bad: no JSON error"
done

# A stored replay comes back byte for byte, and the game verifies it.
curl -sS -f -o "$work/downloaded.replay" "$url/api/v1/runs/$id_a/replay" || fail "no replay"
cmp -s "$work/a.replay" "$work/downloaded.replay" || fail "the downloaded replay differs"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$game" --verify "$work/downloaded.replay" >"$work/verify.out" ||
    fail "the downloaded replay does not verify: $(cat "$work/verify.out")"
stop_server

# The rate limit: the third submission in a minute from one address is refused, with a wait.
start_server --rate-limit 2
post "$day" "$work/garbage.replay" $key_a Ann >/dev/null
post "$day" "$work/garbage.replay" $key_a Ann >/dev/null
expect 429 "$(post "$day" "$work/garbage.replay" $key_a Ann)" "a third submission"
grep -qi '^Retry-After: [1-9]' "$work/headers" || fail "no Retry-After: $(cat "$work/headers")"
stop_server

# Killed in the middle of submissions: every run acknowledged with a 2xx is there afterwards.
start_server --rate-limit 0
for client in 1 2 3 4; do
    (
        for i in $(seq 200); do
            key=$(printf '%08x%024x' "$client" "$i")
            code=$(curl -sS -o "$work/kill_body_$client" -w '%{http_code}' --data-binary "@$work/a.replay" \
                -H "Authorization: Bearer $key" -H "X-Player-Name: c$client" \
                "$url/api/v1/daily/$day/runs" 2>/dev/null) || break
            if [[ $code == 2* ]]; then
                # grep ends its line, which the body does not.
                grep -o '"id":[0-9]*' "$work/kill_body_$client" | cut -d: -f2 >>"$work/acked_$client"
            fi
        done
    ) &
done
sleep 1.5
kill -KILL "$server_pid"
wait "$server_pid" 2>/dev/null || true
server_pid=""
wait
cat "$work"/acked_* >"$work/acked" 2>/dev/null || true
acked=$(wc -l <"$work/acked")
((acked > 0)) || fail "no run was acknowledged before the kill"
start_server --rate-limit 0
for id in $(cat "$work/acked"); do
    code=$(curl -sS -o "$work/kept.replay" -w '%{http_code}' "$url/api/v1/runs/$id/replay")
    [[ $code == 200 ]] && cmp -s "$work/a.replay" "$work/kept.replay" || fail "acknowledged run $id is lost"
done
ranked=$(curl -sS "$url/api/v1/daily/$day?limit=1000" | grep -o '"rank":' | wc -l)
((ranked >= acked + 2)) || fail "$acked runs acknowledged, $ranked ranked after the restart"
stop_server
echo "burrowgale-server: every answer as documented; $acked acknowledged runs kept through SIGKILL"
