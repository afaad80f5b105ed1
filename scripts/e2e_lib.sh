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
