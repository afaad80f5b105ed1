#!/usr/bin/env bash
# What `cmake --install` lays out, with a prefix and with DESTDIR staging, and that the launcher
# still finds the game after the tree is moved and reached through a symbolic link.
# Usage: scripts/install_layout.sh BUILD_DIR   (CMAKE may name the cmake program)
set -euo pipefail

build=$(realpath "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
cmake=${CMAKE:-cmake}
work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

tree() { (cd "$1" && find . -mindepth 1 | sort); }

"$cmake" --install "$build" --prefix "$work/prefix" >/dev/null
p="$work/prefix"

[[ -x "$p/bin/burrowgale" ]] || fail "no launcher bin/burrowgale"
[[ -x "$p/lib/burrowgale/burrowgale" ]] || fail "no game lib/burrowgale/burrowgale"

# Every picture, sound, track and demo of content/, unchanged, and nothing else beside them.
expected=$(cd "$root/content" && find . -maxdepth 1 -type f \
    \( -name '*.png' -o -name '*.wav' -o -name '*.ogg' -o -name '*.replay' \) | sort)
installed=$(cd "$p/share/burrowgale/content" && find . -mindepth 1 | sort)
[[ "$installed" == "$expected" ]] ||
    fail "share/burrowgale/content differs from content/:
$(diff <(echo "$expected") <(echo "$installed") || true)"
while IFS= read -r file; do
    cmp -s "$root/content/$file" "$p/share/burrowgale/content/$file" || fail "$file differs"
done <<<"$expected"
[[ -e "$p/share/burrowgale/content/title.png" ]] || fail "no title picture installed"
if [[ -e "$root/content/CREDITS.md" ]]; then
    cmp -s "$root/content/CREDITS.md" "$p/share/doc/burrowgale/CREDITS.md" ||
        fail "content/CREDITS.md is not installed as share/doc/burrowgale/CREDITS.md"
fi

# An icon of each size the art comes in, in the directory of its real size.
desktop="$p/share/applications/burrowgale.desktop"
icon=$(sed -n 's/^Icon=//p' "$desktop")
icons=0
for source in "$root"/content/icons/burrowgale-*.png; do
    size=${source##*-}
    size=${size%.png}
    target="$p/share/icons/hicolor/${size}x${size}/apps/$icon.png"
    if [[ ! -e "$target" ]]; then
        fail "no ${size}x${size} icon named $icon"
        continue
    fi
    icons=$((icons + 1))
    file "$target" | grep -q ": PNG image data, $size x $size," ||
        fail "the ${size}x${size} icon is $(file -b "$target")"
done
((icons >= 3)) || fail "only $icons icon sizes installed"

# The menu entry starts the launcher; the metainfo names the menu entry and the current version.
exec_name=$(sed -n 's/^Exec=//p' "$desktop")
[[ "$exec_name" == burrowgale ]] || fail "the desktop entry runs '$exec_name'"
metainfo=("$p"/share/metainfo/*.metainfo.xml)
[[ ${#metainfo[@]} -eq 1 && -e "${metainfo[0]}" ]] || fail "not exactly one metainfo file"
grep -q '<launchable type="desktop-id">burrowgale.desktop</launchable>' "${metainfo[0]}" ||
    fail "the metainfo does not name burrowgale.desktop"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
newest=$(grep -o -m1 '<release version="[^"]*"' "${metainfo[0]}" | cut -d'"' -f2)
[[ "$newest" == "$version" ]] || fail "the metainfo's newest release is $newest, not $version"

# DESTDIR staging puts the same tree under DESTDIR/prefix and nothing anywhere else.
DESTDIR="$work/stage" "$cmake" --install "$build" --prefix /usr >/dev/null
[[ "$(cd "$work/stage" && find . -mindepth 1 -maxdepth 1)" == "./usr" ]] || fail "DESTDIR staging wrote outside DESTDIR/usr"
[[ "$(tree "$work/stage/usr")" == "$(tree "$p")" ]] ||
    fail "the DESTDIR tree differs from the prefix tree"

# Moved (to a path with a space) and reached through a link from elsewhere, the launcher still
# starts the game, which says it has no display to open its window on.
mkdir "$work/moved to" "$work/links" "$work/elsewhere"
mv "$work/stage/usr" "$work/moved to/usr"
ln -s "$work/moved to/usr/bin/burrowgale" "$work/links/burrowgale"
status=0
stderr=$(cd "$work/elsewhere" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER \
    XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" \
    SDL_AUDIODRIVER=dummy timeout 60 "$work/links/burrowgale" 2>&1 >/dev/null) || status=$?
if [[ "$status" -ne 1 ]] || ! grep -q '^Unable to create window: ' <<<"$stderr"; then
    fail "the moved, linked launcher did not reach the game (status $status): $stderr"
fi

if ((failures > 0)); then
    echo "$failures failures" >&2
    exit 1
fi
echo "installed layout, DESTDIR staging and a moved tree: all as expected"
