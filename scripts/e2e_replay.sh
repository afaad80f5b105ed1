#!/usr/bin/env bash
# The real program's --replay on a private virtual X server: a golden replay, fast-forwarded by a
# held key, must reach its results screen; SIGTERM then ends the program with status 0. Escape
# leaves a replay at once for the title, where Escape ends the program with status 0. A file
# that is no replay exits 2 with one line naming it, before any window opens.
# Usage: scripts/e2e_replay.sh path/to/burrowgale path/to/golden.replay   (run from anywhere)
set -euo pipefail

binary=$(realpath "$1")
replay=$(realpath "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
fail_context="--replay"
# shellcheck source=scripts/e2e_lib.sh
source "$root/scripts/e2e_lib.sh"
require_tools Xvfb xdpyinfo xdotool import /usr/bin/convert
start_xvfb
preload=$(sanitizer_preload "$binary")
cd "$root"

: >"$work/empty.replay"
status=0
"$binary" --replay "$work/empty.replay" 2>"$work/stderr" || status=$?
[[ $status -eq 2 ]] || fail "an empty file gave status $status, not 2"
[[ $(cat "$work/stderr") == "$work/empty.replay: empty file" ]] ||
    fail "not the one line naming the file"

env -u SDL_VIDEODRIVER LD_PRELOAD="$preload" SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy \
    "$binary" --replay "$replay" 2>"$work/stderr" &
game_pid=$!
window=$(wait_for_window)
started=$SECONDS
xdotool windowfocus --sync "$window"
xdotool keydown a  # fast-forward

# The results are on the game-over picture: a corner of the window, away from the numbers and
# the label, matches that picture drawn at twice its size.
/usr/bin/convert content/gameover.png -filter point -resize 200% -crop 400x200+40+120 +repage \
    "$work/expected.png"
reached=no
for _ in $(seq 240); do
    kill -0 "$game_pid" 2>/dev/null || fail "the program ended on its own"
    import -window "$window" "$work/shot.png"
    /usr/bin/convert "$work/shot.png" -crop 400x200+40+120 +repage "$work/region.png"
    differing=$(/usr/bin/compare -metric AE -fuzz 5% "$work/region.png" "$work/expected.png" \
        null: 2>&1 || true)
    if [[ "$differing" =~ ^[0-9]+$ ]] && ((differing < 400)); then
        reached=yes
        break
    fi
    sleep 0.5
done
xdotool keyup a
[[ "$reached" == yes ]] || fail "the results screen never appeared"

stop_game

# Escape during the playback: the title, then Escape there quits.
env -u SDL_VIDEODRIVER LD_PRELOAD="$preload" SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy \
    "$binary" --replay "$replay" 2>>"$work/stderr" &
game_pid=$!
window=$(wait_for_window)
xdotool windowfocus --sync "$window"
sleep 1
xdotool key Escape
# The title picture fills the canvas at twice its size; above the prompt it shows as is.
/usr/bin/convert content/title.png -background black -flatten -sample 200% \
    -crop 1280x520+0+0 +repage "$work/expected_title.png"
titled=no
# Well within the replay's minute at its own speed, which would bring the title too.
deadline=$((SECONDS + 15))
while ((SECONDS < deadline)); do
    kill -0 "$game_pid" 2>/dev/null || fail "the program ended on Escape during the replay"
    import -window "$window" "$work/shot.png"
    /usr/bin/convert "$work/shot.png" -crop 1280x520+0+0 +repage "$work/region.png"
    differing=$(/usr/bin/compare -metric AE -fuzz 5% "$work/region.png" \
        "$work/expected_title.png" null: 2>&1 || true)
    if [[ "$differing" =~ ^[0-9]+$ ]] && ((differing < 1280 * 520 / 100)); then
        titled=yes
        break
    fi
    sleep 0.5
done
[[ "$titled" == yes ]] || fail "Escape did not leave the replay for the title"
xdotool key Escape
for _ in $(seq 100); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$game_pid" 2>/dev/null && fail "Escape on the title did not end the program"
status=0
wait "$game_pid" || status=$?
game_pid=""
[[ "$status" -eq 0 ]] || fail "exit status $status after Escape on the title, not 0"

if grep -v -e '^Unable to load ' -e "^Couldn't load " "$work/stderr" >"$work/unexpected"; then
    fail "unexpected lines on stderr: $(cat "$work/unexpected")"
fi
echo "--replay reached the results after $((SECONDS - started)) s and ended cleanly on SIGTERM;" \
    "Escape left it for the title, where Escape quit"
