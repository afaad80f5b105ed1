#!/usr/bin/env bash
# What the web build and its browser tests need beyond Debian's binary packages, built or
# installed once into a cache outside the work tree, and printed:
#   scripts/web_deps.sh sdl         SDL2, SDL2_image and SDL2_mixer built for the web from
#                                   Debian's source packages; prints the install prefix
#   scripts/web_deps.sh puppeteer   puppeteer-core from npm; prints its node_modules folder
# The SDL build is kept while the Debian versions of emscripten and the three SDL source
# packages and its build steps here (compile_sdl) stay the same. Progress goes to stderr;
# stdout is only the path.
# Needs what `scripts/setup.sh --web` installs.
set -euo pipefail

readonly puppeteer_version=24.43.1
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/burrowgale-web"
mkdir -p "$cache_root"
export NODE_PATH=/usr/share/nodejs  # emcc's own JavaScript needs Debian's node modules
jobs=$(nproc)

say() { echo "web_deps: $*" >&2; }

# The newest version of a source package that the source entries offer.
source_version() {
    local best="" version
    for version in $(apt-cache showsrc --only-source "$1" 2>/dev/null | sed -n 's/^Version: //p'); do
        if [[ -z "$best" ]] || dpkg --compare-versions "$version" gt "$best"; then best=$version; fi
    done
    echo "$best"
}

# One builder of a thing at a time; a second waits and then finds it finished.
lock() {
    exec 9>"$cache_root/$1.lock"
    flock 9
}

# The three libraries from unpacked sources in $1 (libsdl2-*, libsdl2-image-*, libsdl2-mixer-*)
# into the prefix $2, with a log per library in $3. Its text is part of the cache key.
compile_sdl() {
    local work=$1 prefix=$2 logs=$3
    local common=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
                  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix")
    # Configure and build quietly; the log is shown when a step fails.
    step() {
        local name=$1
        shift
        "$@" >>"$logs/$name.log" 2>&1 ||
            { say "$name failed:"; tail -n 40 "$logs/$name.log" >&2; exit 1; }
    }
    build() {
        local name=$1 src
        src=$(echo "$work/$2"-[0-9]*)
        shift 2
        say "$name"
        step "$name" emcmake cmake -S "$src" -B "$work/build-$name" "${common[@]}" "$@"
        step "$name" cmake --build "$work/build-$name" -j "$jobs"
        step "$name" cmake --install "$work/build-$name"
    }

    build sdl2 libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
    # PNG through stb_image; VENDORED only keeps its CMake package from asking for libpng.
    local off=() format
    for format in AVIF BMP GIF JPG JXL LBM PCX PNM QOI SVG TGA TIF WEBP XCF XPM XV; do
        off+=("-DSDL2IMAGE_$format=OFF")
    done
    build sdl2-image libsdl2-image -DBUILD_SHARED_LIBS=OFF \
        -DSDL2IMAGE_VENDORED=ON -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_SAMPLES=OFF \
        -DSDL2IMAGE_TESTS=OFF -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_PNG=ON "${off[@]}"
    # WAV, and OGG through stb_vorbis.
    build sdl2-mixer libsdl2-mixer -DBUILD_SHARED_LIBS=OFF \
        -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_SAMPLES=OFF \
        -DSDL2MIXER_CMD=OFF -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF \
        -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_WAVE=ON
}

build_sdl() {
    local emscripten sdl image mixer key dir prefix
    emscripten=$(dpkg-query -W -f='${Version}' emscripten)
    sdl=$(source_version libsdl2)
    image=$(source_version libsdl2-image)
    mixer=$(source_version libsdl2-mixer)
    if [[ -z "$sdl" || -z "$image" || -z "$mixer" ]]; then
        say "no Debian source entries for the SDL packages: run scripts/setup.sh --web"
        exit 1
    fi
    key=$(printf 'emscripten %s\nlibsdl2 %s\nlibsdl2-image %s\nlibsdl2-mixer %s\nsteps %s\n' \
        "$emscripten" "$sdl" "$image" "$mixer" "$(declare -f compile_sdl | sha256sum | cut -c1-16)")
    dir="$cache_root/sdl-$(sha256sum <<<"$key" | cut -c1-16)"
    prefix="$dir/prefix"

    lock sdl
    if [[ -e "$dir/complete" ]]; then
        echo "$prefix"
        return
    fi
    say "building SDL2, SDL2_image and SDL2_mixer for the web into $dir (a few minutes)"
    local started=$SECONDS
    rm -rf "$dir"
    mkdir -p "$dir/src"
    (cd "$dir/src" && apt-get source -qq "libsdl2=$sdl" "libsdl2-image=$image" \
        "libsdl2-mixer=$mixer" >"$dir/apt-source.log" 2>&1) ||
        { cat "$dir/apt-source.log" >&2; exit 1; }
    compile_sdl "$dir/src" "$prefix" "$dir"
    rm -rf "$dir/src"
    printf '%s' "$key" >"$dir/key"
    touch "$dir/complete"
    # Builds for other versions are of no further use.
    local old
    for old in "$cache_root"/sdl-*; do
        [[ "$old" == "$dir" ]] || rm -rf "$old"
    done
    say "SDL for the web built in $((SECONDS - started)) s"
    echo "$prefix"
}

install_puppeteer() {
    local dir="$cache_root/puppeteer-core-$puppeteer_version"
    lock puppeteer
    if [[ ! -e "$dir/complete" ]]; then
        say "installing puppeteer-core $puppeteer_version from npm into $dir"
        rm -rf "$dir"
        mkdir -p "$dir"
        # -core downloads no browser: the tests drive Debian's chromium.
        npm install --prefix "$dir" --no-save --no-audit --no-fund --loglevel=error \
            "puppeteer-core@$puppeteer_version" >&2
        touch "$dir/complete"
    fi
    echo "$dir/node_modules"
}

case "${1:-}" in
    sdl) build_sdl ;;
    puppeteer) install_puppeteer ;;
    *) echo "usage: $0 sdl|puppeteer" >&2; exit 2 ;;
esac
