#!/usr/bin/env bash
# Rebuilds every image, sound and music file in content/ from the generators in tools/content.
#
#   scripts/make_content.sh           regenerate content/
#   scripts/make_content.sh --check   regenerate into a scratch directory and compare with
#                                     content/ byte for byte (exit 1 if anything differs)
#
# JOBS sets the build parallelism (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

check=false
case "${1:-}" in
    --check) check=true ;;
    "") ;;
    *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

scripts/setup.sh
# The generators' own needs: libvorbisenc for the music, zlib and the Terminus console fonts
# for the bitmap fonts.
packages=(libvorbis-dev zlib1g-dev console-setup-linux)
missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "Installing: ${missing[*]}"
    sudo=()
    if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

# A check is part of the test suite, where warnings are errors.
cmake -S . -B build-content -G Ninja -DCMAKE_BUILD_TYPE=Release -DBURROWGALE_TESTS=OFF \
      -DBURROWGALE_CONTENT_TOOLS=ON -DBURROWGALE_WERROR="$check" >/dev/null
cmake --build build-content --target make_images make_sounds -j "${JOBS:-2}"

if $check; then
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    build-content/tools/content/make_images "$scratch"
    build-content/tools/content/make_sounds "$scratch"
    # Only the files the generators make: content/ may hold nothing else of theirs.
    status=0
    while IFS= read -r file; do
        if ! cmp -s "$scratch/$file" "content/$file"; then
            echo "differs: content/$file"
            status=1
        fi
    done < <(cd "$scratch" && find . -type f | sed 's|^\./||' | sort)
    [[ $status -eq 0 ]] && echo "content/ matches the generators"
    exit $status
fi

mkdir -p content
build-content/tools/content/make_images content
build-content/tools/content/make_sounds content
echo "content/ regenerated"
