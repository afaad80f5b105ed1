#!/usr/bin/env bash
# Builds the replay parser's fuzz target with clang in its own folder and runs it for a bounded
# time from the seed corpus in tests/fuzz/corpus. Any crash, leak, sanitizer report or
# round-trip mismatch fails; the input that caused it is left in the folder as crash-*.
# Usage: scripts/fuzz_replay.sh BUILD_DIR [SECONDS]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
dir=$(mkdir -p "$1" && cd "$1" && pwd)
seconds=${2:-60}

command -v clang++ >/dev/null || { echo "clang++ is missing: run scripts/setup.sh --test" >&2; exit 1; }
CXX=clang++ cmake -S "$root/tests/fuzz" -B "$dir/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$dir/build" >/dev/null

# New inputs go to a scratch corpus; the seed corpus in the tree is only read. Inputs may be as
# large as the game reads a replay file (4 MiB).
rm -rf "$dir/corpus"
mkdir -p "$dir/corpus"
"$dir/build/fuzz_replay" "$dir/corpus" "$root/tests/fuzz/corpus" \
    -max_total_time="$seconds" -max_len=$((4 << 20)) -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$dir/" -print_final_stats=1 2>"$dir/log" || {
    tail -n 60 "$dir/log" >&2
    exit 1
}
grep -E '^(stat::number_of_executed_units|Done )' "$dir/log" || true
