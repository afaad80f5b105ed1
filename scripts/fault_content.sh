#!/usr/bin/env bash
# The real program on a private virtual X server, started in a directory whose content/ is
# broken: "missing" leaves it empty, "garbage" fills every image, sample and track with truncated
# or random bytes. It must show its window, play a scripted quarter minute of key presses, end
# with status 0 on SIGTERM, and print one line per asset it could not load and nothing else.
# Usage: scripts/fault_content.sh missing|garbage path/to/burrowgale [seconds of play, 15]
set -euo pipefail

mode=$1
binary=$(realpath "$2")
play_seconds=${3:-15}
root=$(cd "$(dirname "$0")/.." && pwd)
fail_context="$mode content"
# shellcheck source=scripts/e2e_lib.sh
source "$root/scripts/e2e_lib.sh"
require_tools Xvfb xdpyinfo xdotool head

images=(tiles.png worm.png pedes.png text.png bigtext.png title.png gameover.png)

# The sounds, from the game's one list of them: every variant of every effect (variant n of
# "yum.wav" is yum<n>.wav), and every track. sound NAME prints one constant's file name.
sounds_h="$root/game/screens/sounds.h"
sound() { sed -n "s/.*constexpr .* $1\b.*\"\([^\"]*\)\".*/\1/p" "$sounds_h"; }
samples=()
while read -r name count; do
    for ((n = 0; n < count; n++)); do samples+=("${name%.*}$n.${name##*.}"); done
done < <(sed -n 's/.*constexpr SoundEffect k[A-Za-z]*{"\([^"]*\)", *\([0-9]*\)}.*/\1 \2/p' "$sounds_h")
mapfile -t tracks < <(sed -n 's/.*constexpr const char\* k[A-Za-z]*Music = "\([^"]*\)";.*/\1/p' "$sounds_h")
title_music=$(sound kTitleMusic)
play_music=$(sound kPlayMusic)
[[ ${#samples[@]} -gt 0 && ${#tracks[@]} -gt 0 && -n "$title_music" && -n "$play_music" ]] ||
    fail "no sounds found in $sounds_h"

mkdir -p "$work/play/content"
case "$mode" in
    missing) ;;
    garbage)
        # Alternately a file cut off just after its format's signature (as a failed download
        # leaves it) and one of random bytes.
        i=0
        for name in "${images[@]}" "${samples[@]}" "${tracks[@]}"; do
            file="$work/play/content/$name"
            if ((i % 2 == 0)); then
                case "$name" in
                    *.png) printf '\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0' >"$file" ;;
                    *.wav) printf 'RIFF\x24\x08\0\0WAVEfmt \x10\0\0\0\x01\0' >"$file" ;;
                    *.ogg) printf 'OggS\0\x02\0\0\0\0\0\0\0\0' >"$file" ;;
                esac
            else
                head -c $((100 + 37 * i)) /dev/urandom >"$file"
            fi
            i=$((i + 1))
        done
        ;;
    *) fail "unknown mode '$mode': missing or garbage" ;;
esac

start_xvfb
preload=$(sanitizer_preload "$binary")

cd "$work/play"
env -u SDL_VIDEODRIVER LD_PRELOAD="$preload" SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy \
    "$binary" 2>"$work/stderr" &
game_pid=$!

window=$(wait_for_window)
xdotool windowfocus --sync "$window"

# The title asks for its picture when it draws its first frame; a key that arrived before that
# would end the title unseen, and the picture would never be asked for.
for _ in $(seq 600); do
    grep -q "title.png" "$work/stderr" && break
    kill -0 "$game_pid" 2>/dev/null || fail "the program ended before drawing the title"
    sleep 0.1
done
grep -q "title.png" "$work/stderr" || fail "the title was not drawn within a minute"

# The script: leave the title, then turn every 700 ms, pause and resume every 5 s, and once
# press every other bound key. The game must still be running at every press.
key() {
    if ! kill -0 "$game_pid" 2>/dev/null; then
        local status=0
        wait "$game_pid" || status=$?
        game_pid=""
        fail "the program ended during the scripted play with status $status, before key $1"
    fi
    xdotool key "$1"
}
key Return
end=$((SECONDS + play_seconds))
presses=0
while ((SECONDS < end)); do
    sleep 0.7
    presses=$((presses + 1))
    if ((presses % 2 == 0)); then key Left; else key Right; fi
    if ((presses % 7 == 0)); then
        key Return
        sleep 0.3
        key Return
    fi
    if ((presses == 10)); then
        for other in Up Down space z x c v j k l Tab Shift_L Shift_R Escape Return F1 q; do key "$other"; done
    fi
done

stop_game

# One line per asset that was asked for, in its own format, and no other line.
declare -A seen=()
while IFS= read -r line; do
    name=""
    case "$line" in
        "Unable to load "*:*) name=${line#Unable to load } ;;
        "Couldn't load sample content/"*:*) name=${line#Couldn\'t load sample content/} ;;
        "Couldn't load music content/"*:*) name=${line#Couldn\'t load music content/} ;;
        *) fail "unexpected line on stderr: $line" ;;
    esac
    name=${name%%:*}
    known=no
    for asset in "${images[@]}" "${samples[@]}" "${tracks[@]}"; do
        [[ "$asset" == "$name" ]] && known=yes
    done
    [[ "$known" == yes ]] || fail "a message about an unknown asset: $line"
    [[ -z "${seen[$name]:-}" ]] || fail "$name was reported twice"
    seen[$name]=1
done <"$work/stderr"

# What the title and the first seconds of play always ask for.
for asset in title.png text.png "$title_music" tiles.png worm.png "$play_music"; do
    [[ -n "${seen[$asset]:-}" ]] || fail "no message about $asset"
done
echo "$mode content: ${#seen[@]} assets reported once each, nothing else; exit status 0"
