#!/usr/bin/env bash
# The real program on a private virtual X server: it must show the title, start a game on a key
# press, and end cleanly on SIGTERM with nothing on stderr but asset messages.
# Usage: scripts/e2e_title_to_play.sh path/to/burrowgale   (run from anywhere)
set -euo pipefail

binary=$(realpath "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
xvfb_pid=""
game_pid=""

cleanup() {
    if [[ -n "$game_pid" ]] && kill -0 "$game_pid" 2>/dev/null; then kill -KILL "$game_pid"; fi
    if [[ -n "$xvfb_pid" ]] && kill -0 "$xvfb_pid" 2>/dev/null; then kill -TERM "$xvfb_pid"; fi
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [[ -s "$work/stderr" ]]; then
        echo "--- the program's stderr:" >&2
        cat "$work/stderr" >&2
    fi
    exit 1
}

for tool in Xvfb xdpyinfo xdotool import /usr/bin/convert; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/setup.sh --test"
done

# Xvfb picks a free display itself, so parallel test runs never collide.
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
[[ -s "$work/display" ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
xdpyinfo >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"

# A sanitizer build: the window's OpenGL flag makes SDL load Mesa's software driver, which
# keeps some memory until it is unloaded at exit; LeakSanitizer then reports it from an
# <unknown module> that no suppression can name. Kept resident, the memory stays reachable.
preload=""
asan=$(ldd "$binary" | awk '/libasan/ && !seen { print $3; seen = 1 }')
if [[ -n "$asan" ]]; then
    preload="$asan"
    for driver in /usr/lib/*/dri/swrast_dri.so; do
        [[ -e "$driver" ]] && preload+=" $driver"
    done
fi

# From the repository root, so that content/ is found as players find it.
cd "$root"
env -u SDL_VIDEODRIVER LD_PRELOAD="$preload" SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy \
    "$binary" 2>"$work/stderr" &
game_pid=$!

window=$(timeout 60 xdotool search --sync --name '^Burrowgale$' | awk 'NR == 1') ||
    fail "no Burrowgale window appeared"
kill -0 "$game_pid" 2>/dev/null || fail "the program ended on its own"

shot() { import -window "$window" "$work/$1.png"; }
# Compares the part above the blinking prompt, which alone changes on the title.
differs() {
    local mean
    mean=$(/usr/bin/convert "$work/$1.png" "$work/$2.png" -crop 1280x640+0+0 +repage \
        -compose difference -composite -format '%[fx:maxima>0?1:0]' info:)
    [[ "$mean" == 1 ]]
}

# The title is up once two shots half a second apart agree (a slow start shows black first).
shot title
settled=no
for _ in $(seq 40); do
    sleep 0.5
    shot title_again
    if ! differs title title_again; then
        settled=yes
        break
    fi
    mv "$work/title_again.png" "$work/title.png"
done
[[ "$settled" == yes ]] || fail "the title picture never settled"

xdotool windowfocus --sync "$window"
xdotool key Return
sleep 2
shot play
if ! differs title play; then
    # Without content/ both screens are black: then the play screen shows only by asking for
    # its own assets.
    if [[ -e content/title.png ]] || ! grep -q 'tiles.png' "$work/stderr"; then
        fail "the picture did not change after a key press on the title"
    fi
    echo "note: content/ lacks the images; the play screen was recognised by its asset requests"
fi

kill -TERM "$game_pid"
status=0
wait "$game_pid" || status=$?
game_pid=""
[[ "$status" -eq 0 ]] || fail "exit status $status after SIGTERM, not 0"

if grep -v -e '^Unable to load ' -e "^Couldn't load " "$work/stderr" >"$work/unexpected"; then
    fail "unexpected lines on stderr: $(cat "$work/unexpected")"
fi
echo "title, key press, play screen and SIGTERM: all as expected"
