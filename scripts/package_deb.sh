#!/usr/bin/env bash
# Builds the Debian package from a build directory into a scratch directory and checks its
# control data and contents.
# Usage: scripts/package_deb.sh BUILD_DIR   (CPACK may name the cpack program)
set -euo pipefail

build=$(realpath "$1")
work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for tool in dpkg-deb dpkg-shlibdeps file lintian; do
    command -v "$tool" >/dev/null || {
        echo "FAIL: $tool is missing: run scripts/setup.sh --test" >&2
        exit 1
    }
done

"${CPACK:-cpack}" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
    echo "FAIL: cpack failed:" >&2
    cat "$work/cpack.log" >&2
    exit 1
}
debs=("$work"/*.deb)
[[ ${#debs[@]} -eq 1 && -e "${debs[0]}" ]] || {
    echo "FAIL: cpack made no single .deb: ${debs[*]}" >&2
    exit 1
}
deb=${debs[0]}

info=$(dpkg-deb --info "$deb")
field() { dpkg-deb --field "$deb" "$1"; }
[[ "$(field Package)" == burrowgale ]] || fail "package name $(field Package)"
[[ "$(field Architecture)" == "$(dpkg --print-architecture)" ]] ||
    fail "architecture $(field Architecture)"
[[ "$(field Section)" == games ]] || fail "section $(field Section)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ "$(field Version)" == "$version" ]] || fail "version $(field Version), not $version"

# The SDL runtime libraries, as dpkg-shlibdeps names them from what the binary links.
depends=$(grep '^ Depends:' <<<"$info" || true)
for library in libsdl2-2.0-0 libsdl2-image-2.0-0 libsdl2-mixer-2.0-0; do
    [[ "$depends" =~ [:,\ ]$library( |,|$) ]] || fail "$library is not a dependency: $depends"
done

contents=$(dpkg-deb --contents "$deb" | awk '{ print $6 }')
for path in ./usr/games/burrowgale ./usr/lib/burrowgale/burrowgale \
    ./usr/share/burrowgale/content/title.png ./usr/share/applications/burrowgale.desktop \
    ./usr/share/icons/hicolor/48x48/apps/burrowgale.png ./usr/share/man/man6/burrowgale.6.gz \
    ./usr/share/doc/burrowgale/changelog.gz ./usr/share/doc/burrowgale/copyright; do
    grep -qxF "$path" <<<"$contents" || fail "$path is not in the package"
done
outside=$(grep -v -e '^\./$' -e '^\./usr/' <<<"$contents" || true)
grep -q '^\./usr/bin/' <<<"$contents" && fail "Debian keeps games in /usr/games, not /usr/bin"
[[ -z "$outside" ]] || fail "files outside /usr: $outside"

dpkg-deb --extract "$deb" "$work/root"
file -b "$work/root/usr/lib/burrowgale/burrowgale" | grep -q ', stripped' ||
    fail "the packaged game is not stripped"

# The launcher still finds the game from /usr/games.
launcher="$work/root/usr/games/burrowgale"
if [[ -x "$launcher" ]]; then
    status=0
    out=$("$launcher" --version 2>&1) || status=$?
    [[ "$status" -eq 0 && "$out" == "burrowgale $version" ]] ||
        fail "the packaged launcher says '$out' (status $status)"
fi

# Debian's own checks: no errors and no warnings (informational tags are fine).
lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 || true
if grep -E '^[EW]: ' "$work/lintian.log" >"$work/lintian.bad"; then
    fail "lintian: $(cat "$work/lintian.bad")"
fi

if ((failures > 0)); then
    echo "$info" >&2
    exit 1
fi
echo "$(basename "$deb"): $depends"
