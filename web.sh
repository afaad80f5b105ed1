#!/usr/bin/env bash
# Installs what is missing and builds the game for web browsers into build-web/site/: the page,
# its script, the wasm and the packed content/ (and build-web/burrowgale-web.zip of the same).
#   ./web.sh            build
#   ./web.sh --serve    build, then serve the page on this machine and print its address
set -euo pipefail
cd "$(dirname "$0")"

serve=no
for arg in "$@"; do
    case "$arg" in
        --serve) serve=yes ;;
        *) echo "usage: $0 [--serve]" >&2; exit 2 ;;
    esac
done

scripts/setup.sh --web
prefix=$(scripts/web_deps.sh sdl)
export NODE_PATH=/usr/share/nodejs  # emcc's own JavaScript needs Debian's node modules
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix" >/dev/null
cmake --build build-web

echo "The web version is in $PWD/build-web/site/ (open index.html through a web server)"
echo "The same as a zip: $PWD/build-web/burrowgale-web.zip"
if [[ "$serve" == yes ]]; then
    exec python3 scripts/web_serve.py build-web/site
fi
