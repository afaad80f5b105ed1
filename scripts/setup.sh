#!/usr/bin/env bash
# Installs the Debian packages that building (and, with --test, testing) needs.
# Does nothing when everything is already there.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config
          libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev libstb-dev)
if [[ "${1:-}" == "--test" ]]; then
    # GoogleTest, a virtual X server and its tools for the end-to-end tests, and clang with
    # libFuzzer for the replay parser's fuzz target.
    packages+=(libgtest-dev libgmock-dev xvfb xauth x11-utils xdotool imagemagick
               desktop-file-utils appstream dpkg-dev file
               clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
