#!/usr/bin/env bash
# A verify command on files it must judge: a golden replay exits 0, the same file with its
# recorded length changed exits 3, and an empty or garbage file exits 2 with one line on stderr
# naming the file. The command is the real program's --verify, or the web build's under node.
# Usage: scripts/e2e_verify.sh path/to/golden.replay VERIFY_COMMAND...
#   e.g. scripts/e2e_verify.sh tests/replays/seed4_autopilot.replay build/burrowgale --verify
set -euo pipefail

golden=$(realpath "$1")
shift
verify=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

status() { local s=0; "${verify[@]}" "$1" >"$work/out" 2>"$work/err" || s=$?; echo "$s"; }

[[ $(status "$golden") == 0 ]] || fail "the golden replay does not verify: $(cat "$work/out")"

# The recorded length is the 8 bytes just before the steps: skip the magic, the version, the
# game version and three varints (version, seed, frame count), then the depth.
mapfile -t bytes < <(od -An -v -tu1 "$golden" | tr -s ' ' '\n' | sed '/^$/d')
pos=4
skip_varint() { while ((bytes[pos] >= 128)); do ((pos += 1)); done; ((pos += 1)); }
skip_varint                          # format version
((pos += bytes[pos] + 1))            # game version, length first
skip_varint                          # seed
skip_varint                          # frame count
((pos += 8))                         # depth
cp "$golden" "$work/tampered.replay"
# One bit of the mantissa's top byte: a length that differs, and still a valid number.
printf "\\$(printf '%03o' $((bytes[pos + 6] ^ 1)))" |
    dd of="$work/tampered.replay" bs=1 seek=$((pos + 6)) conv=notrunc status=none
[[ $(status "$work/tampered.replay") == 3 ]] || fail "a tampered result did not exit 3"
grep -q 'tampered.replay: differs from the recording' "$work/out" ||
    fail "no verdict line: $(cat "$work/out")"

: >"$work/empty.replay"
head -c 3000 /dev/urandom >"$work/garbage.replay"
for bad in empty garbage; do
    [[ $(status "$work/$bad.replay") == 2 ]] || fail "the $bad file did not exit 2"
    [[ $(wc -l <"$work/err") == 1 ]] || fail "not one line for the $bad file: $(cat "$work/err")"
    grep -q "^$work/$bad.replay: " "$work/err" || fail "the line does not name the file"
done
echo "${verify[*]}: 0 for the golden replay, 3 when tampered, 2 for bad files"
