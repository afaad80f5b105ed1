#!/usr/bin/env bash
# The installed game as a player starts it: installed into a scratch prefix, started by name from
# an unrelated directory on a private virtual X server. It must run the installed binary in the
# player's directory, draw the title from the installed pictures (not from a content/ folder that
# happens to be there), end cleanly on SIGTERM, and verify a replay named relative to where the
# player is.
# Usage: scripts/e2e_installed.sh BUILD_DIR   (CMAKE may name the cmake program)
set -euo pipefail

build=$(realpath "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/e2e_lib.sh
source "$root/scripts/e2e_lib.sh"
prefix="$work/prefix"
require_tools Xvfb xdpyinfo xdotool xprop import /usr/bin/convert /usr/bin/compare

"${CMAKE:-cmake}" --install "$build" --prefix "$prefix" >"$work/install.log" ||
    fail "cmake --install failed: $(cat "$work/install.log")"

start_xvfb
preload=$(sanitizer_preload "$prefix/lib/burrowgale/burrowgale")

# Started by name through PATH, as a desktop menu does, from a directory whose content/ folder
# is the player's own and empty.
mkdir -p "$work/elsewhere/content"
cd "$work/elsewhere"
env -u SDL_VIDEODRIVER PATH="$prefix/bin:$PATH" LD_PRELOAD="$preload" \
    SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy burrowgale 2>"$work/stderr" &
game_pid=$!

window=$(wait_for_window)

# The launcher replaces itself with the game, so the process is the game itself.
exe=$(readlink "/proc/$game_pid/exe")
cwd=$(readlink "/proc/$game_pid/cwd")
[[ "$exe" == "$prefix/lib/burrowgale/burrowgale" ]] || fail "the running program is $exe"
[[ "$cwd" == "$work/elsewhere" ]] || fail "the game runs in $cwd, not where it was started"

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

stop_game

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
# A recording named as the player sees it, from where the player is.
cp "$prefix/share/burrowgale/content/demo.replay" "$work/elsewhere/run.replay"
status=0
verified=$(env PATH="$prefix/bin:$PATH" LD_PRELOAD="$preload" burrowgale --verify run.replay \
    2>&1) || status=$?
[[ "$status" -eq 0 ]] ||
    fail "--verify run.replay from the player's directory: status $status: $verified"

echo "installed launcher started by name from elsewhere: title shown, SIGTERM, exit 0;" \
    "a relative --verify path replays"
