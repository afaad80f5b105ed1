#!/usr/bin/env bash
# Installs the Debian packages that building (and, with --test, testing) needs; --web adds
# what the web build needs (emscripten, chromium, node, and Debian's SDL sources).
# Does nothing when everything is already there.
set -euo pipefail

want_test=no
want_web=no
for arg in "$@"; do
    case "$arg" in
        --test) want_test=yes ;;
        --web) want_web=yes ;;
        *) echo "usage: $0 [--test] [--web]" >&2; exit 2 ;;
    esac
done

# cpp-httplib and SQLite build the leaderboard server; libcurl lets the game send daily runs.
packages=(build-essential cmake ninja-build pkg-config
          libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev libstb-dev
          libcpp-httplib-dev libsqlite3-dev libcurl4-openssl-dev)
if [[ "$want_test" == yes ]]; then
    # GoogleTest, a virtual X server and its tools for the end-to-end tests, and clang with
    # libFuzzer for the replay parser's fuzz target.
    packages+=(libgtest-dev libgmock-dev xvfb xauth x11-utils xdotool imagemagick
               desktop-file-utils appstream dpkg-dev file lintian
               clang libclang-rt-14-dev curl)
fi
if [[ "$want_web" == yes ]]; then
    # dpkg-dev unpacks the SDL source packages; python3 serves the page; sox (with
    # libsox-fmt-base) makes the page's compressed copies of the sound effects.
    packages+=(emscripten chromium dpkg-dev python3 sox libsox-fmt-base)
fi

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "installed" ]] || missing+=("$p")
done
# A node from elsewhere (with its own npm) serves as well as Debian's.
if [[ "$want_web" == yes ]] && ! command -v npm >/dev/null; then missing+=(npm); fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
updated=no

# `apt-get source` needs source entries beside the binary ones: they are copied from the
# system's Debian entries once.
if [[ "$want_web" == yes ]] && [[ -z "$(apt-cache showsrc --only-source libsdl2 2>/dev/null)" ]]; then
    echo "Adding Debian source entries (for the SDL source packages)"
    if [[ -e /etc/apt/sources.list.d/debian.sources ]]; then
        sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            "${sudo[@]}" tee /etc/apt/sources.list.d/burrowgale-deb-src.sources >/dev/null
    fi
    if [[ -e /etc/apt/sources.list ]]; then
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
            "${sudo[@]}" tee /etc/apt/sources.list.d/burrowgale-deb-src.list >/dev/null
    fi
    "${sudo[@]}" apt-get update -qq
    updated=yes
fi

[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
[[ "$updated" == yes ]] || "${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
