#!/usr/bin/env bash
# Re-records the golden replays in tests/replays/ and the bundled demo content/demo.replay from
# their scripted games, then verifies them with the game. Read tests/replays/README.md first: re-recording is right only when the rules
# were meant to change.
# Usage: scripts/record_golden.sh [BUILD_DIR]   (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target record_replay burrowgale >/dev/null

golden="$root/tests/replays"
record() {
    local name=$1
    shift
    # From the root, as the game runs; the pilot and the rules need no content.
    (cd "$root" && "$build/tools/record_replay" --out "$golden/$name.replay" "$@")
}

# Each line: a file, and the game that makes it (seed, pilot, frame times, pauses).
record seed4_autopilot       --seed 4 --pilot-seed 4
record seed5_autopilot       --seed 5 --pilot-seed 5
record seed9_uneven_frames   --seed 9 --pilot-seed 9 --frame-ms 0-60
record seed10_pauses_144hz   --seed 10 --pilot-seed 10 --frame-ms 6-7 --pause-every 20
record seed17_stalls         --seed 17 --pilot-seed 17 --frame-ms 16-250
record seed21_random_turns   --seed 21 --pilot-seed 21 --policy random
# The demo the title shows when the player has no replay of their own.
golden="$root/content" record demo --seed 6 --pilot-seed 6

for file in "$root"/tests/replays/*.replay "$root/content/demo.replay"; do
    "$build/burrowgale" --verify "$file" | tail -n1
done
