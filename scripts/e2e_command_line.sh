#!/usr/bin/env bash
# The program's options as a shell sees them: --help and --version print and exit 0 without
# opening a window; an unknown option or a bad value names itself in one line, then the usage,
# and exits 2. Nothing is written anywhere.
# Usage: scripts/e2e_command_line.sh path/to/burrowgale
set -uo pipefail

binary=$(realpath "$1")
work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# No display at all: an option that tried to start the game would fail with status 1.
run() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy \
        HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
        timeout 60 "$binary" "$@" >"$work/out" 2>"$work/err"
}

run --help
status=$?
[[ "$status" -eq 0 ]] || fail "--help exited $status"
grep -q '^Usage: burrowgale' "$work/out" || fail "--help printed no usage: $(cat "$work/out")"
for option in --seed --fullscreen --windowed --scale --mute --version; do
    grep -q -- "$option" "$work/out" || fail "the usage does not list $option"
done
[[ ! -s "$work/err" ]] || fail "--help wrote to stderr: $(cat "$work/err")"

run --version
status=$?
[[ "$status" -eq 0 ]] || fail "--version exited $status"
grep -qE '^burrowgale [0-9]+\.[0-9]+\.[0-9]+$' "$work/out" ||
    fail "--version printed: $(cat "$work/out")"

# The day's seed: the number alone, the same for the date given either way; today's is one too.
run --daily-seed 2026-01-01
[[ $? -eq 0 && "$(cat "$work/out")" == 3101564752 ]] ||
    fail "--daily-seed 2026-01-01 printed '$(cat "$work/out")'"
run --daily-seed
[[ $? -eq 0 ]] && grep -qE '^[0-9]+$' "$work/out" || fail "--daily-seed printed '$(cat "$work/out")'"

for bad in "--bogus" "--seed" "--seed banana" "--scale 0" "--mute=1" "stray" \
    "--daily-seed 2026-02-30" "--server gopher://x"; do
    # shellcheck disable=SC2086  # split on purpose: some cases are two arguments
    run $bad
    status=$?
    [[ "$status" -eq 2 ]] || fail "'$bad' exited $status, not 2"
    first=$(head -n1 "$work/err")
    [[ "$first" == "burrowgale: "* ]] || fail "'$bad': first line is '$first'"
    [[ "$first" == *"${bad%%[ =]*}"* ]] || fail "'$bad': the first line does not name it: $first"
    sed -n 2p "$work/err" | grep -q '^Usage: burrowgale' || fail "'$bad': no usage after the line"
    [[ ! -s "$work/out" ]] || fail "'$bad' wrote to stdout"
done

[[ ! -e "$work/data" && ! -e "$work/config" && ! -e "$work/home" ]] ||
    fail "the options wrote files: $(find "$work" -mindepth 1)"

((failures == 0)) || exit 1
echo "--help, --version and bad options: all as expected"
