#!/usr/bin/env bash
# The installed game as a player starts it: installed into a scratch prefix, started by name from
# an unrelated directory on a private virtual X server. It must run the installed binary in the
# installed data folder, draw the title from the installed pictures, and end cleanly on SIGTERM.
# Usage: scripts/e2e_installed.sh BUILD_DIR   (CMAKE may name the cmake program)
set -euo pipefail

build=$(realpath "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath "$(mktemp -d)")
prefix="$work/prefix"
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

for tool in Xvfb xdpyinfo xdotool xprop import /usr/bin/convert /usr/bin/compare; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/setup.sh --test"
done

"${CMAKE:-cmake}" --install "$build" --prefix "$prefix" >"$work/install.log" ||
    fail "cmake --install failed: $(cat "$work/install.log")"

Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
[[ -s "$work/display" ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY
xdpyinfo >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"

# A sanitizer build: keep Mesa's software driver resident, as the other end-to-end test explains.
preload=""
asan=$(ldd "$prefix/lib/burrowgale/burrowgale" | awk '/libasan/ { print $3; exit }')
if [[ -n "$asan" ]]; then
    preload="$asan"
    for driver in /usr/lib/*/dri/swrast_dri.so; do
        [[ -e "$driver" ]] && preload+=" $driver"
    done
fi

# Started by name through PATH, as a desktop menu does, from a directory with no content/.
mkdir "$work/elsewhere"
cd "$work/elsewhere"
env -u SDL_VIDEODRIVER PATH="$prefix/bin:$PATH" LD_PRELOAD="$preload" \
    SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy burrowgale 2>"$work/stderr" &
game_pid=$!

window=$(timeout 60 xdotool search --sync --name '^Burrowgale$' | head -n1) ||
    fail "no Burrowgale window appeared"
kill -0 "$game_pid" 2>/dev/null || fail "the program ended on its own"

# The launcher replaces itself with the game, so the process is the game itself.
exe=$(readlink "/proc/$game_pid/exe")
cwd=$(readlink "/proc/$game_pid/cwd")
[[ "$exe" == "$prefix/lib/burrowgale/burrowgale" ]] || fail "the running program is $exe"
[[ "$cwd" == "$prefix/share/burrowgale" ]] || fail "the game runs in $cwd"

# Desktops match the window to its menu entry by this class.
wm_class=$(xprop -id "$window" WM_CLASS)
wanted=$(sed -n 's/^StartupWMClass=//p' "$prefix/share/applications/burrowgale.desktop")
[[ "$wm_class" == *"\"$wanted\""* ]] ||
    fail "the window's $wm_class does not match StartupWMClass=$wanted"

# The title fills the canvas at twice its size; the part above the blinking prompt must show it.
/usr/bin/convert "$prefix/share/burrowgale/content/title.png" -background black -flatten \
    -sample 200% -crop 1280x640+0+0 +repage "$work/expected.png"
shows_title() {
    import -window "$window" "$work/shot.png"
    /usr/bin/convert "$work/shot.png" -crop 1280x640+0+0 +repage "$work/top.png"
    local differing
    differing=$(/usr/bin/compare -metric AE -fuzz 5% "$work/top.png" "$work/expected.png" \
        /dev/null 2>&1) || true
    # Allow a sliver of rounding at the scaled picture's edges, not a different picture.
    [[ "$differing" =~ ^[0-9]+$ ]] && ((differing < 1280 * 640 / 100))
}
shown=no
for _ in $(seq 40); do
    if shows_title; then
        shown=yes
        break
    fi
    sleep 0.5
done
[[ "$shown" == yes ]] || fail "the window never showed the installed title picture"

kill -TERM "$game_pid"
status=0
wait "$game_pid" || status=$?
game_pid=""
[[ "$status" -eq 0 ]] || fail "exit status $status after SIGTERM, not 0"

# Every file the source tree has must have been found in the installed tree.
while IFS= read -r line; do
    case "$line" in
        "Unable to load "*) fail "an image was not found: $line" ;;
        "Couldn't load sample "* | "Couldn't load music "*)
            name=${line#Couldn\'t load * }
            name=${name%%:*}
            name=${name#content/}
            [[ -e "$root/content/$name" ]] && fail "an installed sound is missing: $line" ;;
        *) fail "unexpected line on stderr: $line" ;;
    esac
done <"$work/stderr"
echo "installed launcher started by name from elsewhere: title shown, SIGTERM, exit 0"
