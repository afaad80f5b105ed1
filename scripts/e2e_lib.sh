# shellcheck shell=bash
# Shared by the end-to-end scripts, which source it: a scratch folder removed on exit, failure
# reports that show the program's stderr, a private virtual X server, and what a sanitizer build
# needs preloaded. Set `fail_context` before sourcing to label failures.

work=$(realpath "$(mktemp -d)")
xvfb_pid=""
# The game keeps records and settings: in the scratch folder, never in the real home.
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
game_pid=""

cleanup() {
    if [[ -n "$game_pid" ]] && kill -0 "$game_pid" 2>/dev/null; then kill -KILL "$game_pid"; fi
    if [[ -n "$xvfb_pid" ]] && kill -0 "$xvfb_pid" 2>/dev/null; then kill -TERM "$xvfb_pid"; fi
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL${fail_context:+ ($fail_context)}: $*" >&2
    if [[ -s "$work/stderr" ]]; then
        echo "--- the program's stderr:" >&2
        cat "$work/stderr" >&2
    fi
    exit 1
}

require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/setup.sh --test"
    done
}

# Starts Xvfb on a display it picks itself (parallel runs never collide) and exports DISPLAY.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    local _
    for _ in $(seq 100); do
        [[ -s "$work/display" ]] && break
        sleep 0.1
    done
    [[ -s "$work/display" ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    DISPLAY=":$(head -n1 "$work/display")"
    export DISPLAY
    xdpyinfo >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"
}

# Prints what LD_PRELOAD needs for the given binary: nothing for a plain build. In a sanitizer
# build the window's OpenGL flag makes SDL load Mesa's software driver, which keeps some memory
# until it is unloaded at exit; LeakSanitizer then reports it from an <unknown module> that no
# suppression can name. Kept resident, the memory stays reachable.
sanitizer_preload() {
    local asan preload driver
    asan=$(ldd "$1" | awk '/libasan/ { print $3; exit }')
    [[ -n "$asan" ]] || return 0
    preload="$asan"
    for driver in /usr/lib/*/dri/swrast_dri.so; do
        [[ -e "$driver" ]] && preload+=" $driver"
    done
    echo "$preload"
}

# Waits for the game's window and prints its id.
wait_for_window() {
    local window
    window=$(timeout 60 xdotool search --sync --name '^Burrowgale$' | head -n1) ||
        fail "no Burrowgale window appeared"
    kill -0 "$game_pid" 2>/dev/null || fail "the program ended on its own"
    echo "$window"
}

# SIGTERM must end the game with status 0.
stop_game() {
    kill -TERM "$game_pid"
    local status=0
    wait "$game_pid" || status=$?
    game_pid=""
    [[ "$status" -eq 0 ]] || fail "exit status $status after SIGTERM, not 0"
}

# Polls a check every fifth of a second until it passes. The deadline only has to catch a
# program that never gets there: it is set for a machine running the whole suite at once.
wait_until() {
    local what=$1 seconds=$2
    shift 2
    local end=$((SECONDS + seconds))
    until "$@"; do
        ((SECONDS < end)) || fail "timed out after $seconds s waiting for $what"
        sleep 0.2
    done
}

# The game's window ($window) as it is now, in $work/NAME.png.
shot() { import -window "$window" "$work/$1.png"; }
# Whether two shots differ inside a region (WxH+X+Y).
differs() {
    local any
    any=$(/usr/bin/convert "$work/$1.png" "$work/$2.png" -crop "$3" +repage \
        -compose difference -composite -format '%[fx:maxima>0?1:0]' info:)
    [[ "$any" == 1 ]]
}
blank() {
    [[ "$(/usr/bin/convert "$work/$1.png" -format '%[fx:maxima>0?1:0]' info:)" == 0 ]]
}
# The title once drawn and still (its prompt blinks below row 660), in $work/NAME.png.
settle_title() {
    local name=$1
    wait_until "the title to settle" 60 _title_still "$name"
}
_title_still() {
    shot "$1.again"
    if [[ -e "$work/$1.png" ]] && ! blank "$1" && ! differs "$1" "$1.again" 1280x660+0+0; then
        return 0
    fi
    mv "$work/$1.again.png" "$work/$1.png"
    return 1
}
# Whether two shots of the title differ above its prompt line, but for the daily dig's corner
# (top right: the time left in the day, which turns each minute, and the day's best).
title_differs() { differs "$1" "$2" 800x600+0+0 || differs "$1" "$2" 480x420+800+180; }
# The screen now differs from shot NAME of the title.
left_screen() { shot now && title_differs "$1" now; }
# The screen now shows shot NAME of the title again.
back_to() { shot now && ! blank now && ! title_differs "$1" now; }
# The screen now is much darker than shot NAME: the pause's veil has come down.
darker_than() {
    shot now
    local before after
    before=$(/usr/bin/convert "$work/$1.png" -format '%[fx:mean]' info:)
    after=$(/usr/bin/convert "$work/now.png" -format '%[fx:mean]' info:)
    awk -v a="$after" -v b="$before" 'BEGIN { exit !(a < 0.6 * b) }'
}
# The results picture is up (its top part, where no figures are drawn). Run from the root.
results_shown() {
    shot results
    [[ -e "$work/expected_results.png" ]] ||
        /usr/bin/convert content/gameover.png -background black -flatten -sample 200% \
            -crop 1280x520+0+0 +repage "$work/expected_results.png"
    /usr/bin/convert "$work/results.png" -crop 1280x520+0+0 +repage "$work/results_top.png"
    local differing
    differing=$(/usr/bin/compare -metric AE -fuzz 5% "$work/results_top.png" \
        "$work/expected_results.png" /dev/null 2>&1) || true
    [[ "$differing" =~ ^[0-9]+$ ]] && ((differing < 1280 * 520 / 100))
}
# From a settled title (shot NAME): Return starts a game, Escape pauses it, Escape gives it up,
# each key sent once the screen shows the one before it has been taken.
give_up_a_game() {
    xdotool key Return
    wait_until "the play screen" 120 left_screen "$1"
    shot playing
    xdotool key Escape  # pause
    wait_until "the pause" 120 darker_than playing
    xdotool key Escape  # give up
}
# Escape on the title must end the program ($game_pid) by itself, with status 0.
quit_with_escape() {
    xdotool key Escape
    wait_until "the program to end after Escape on the title" 120 _game_ended
    local status=0
    wait "$game_pid" || status=$?
    game_pid=""
    [[ "$status" -eq 0 ]] || fail "exit status $status after Escape on the title, not 0"
}
_game_ended() { ! kill -0 "$game_pid" 2>/dev/null; }
# Starts "$binary" with the given options in the virtual display, as a player would (software
# rendering, no sound card), its stderr kept for `fail`; sets game_pid and window.
start_game() {
    env -u SDL_VIDEODRIVER LD_PRELOAD="$preload" SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy \
        "$binary" "$@" 2>>"$work/stderr" &
    game_pid=$!
    window=$(wait_for_window)
    xdotool windowfocus --sync "$window"
}
