#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless, twice:
# once as built for players, once under AddressSanitizer and UndefinedBehaviorSanitizer.
# Warnings are errors here. Builds go to build-asan/ and build-test/, never to ./play.sh's build/,
# so switching between playing and testing rebuilds nothing.
# The web version is built too, for the browser tests of the plain run.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh --test --web

jobs=$(nproc)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# content/ must be exactly what its generators make from the code.
scripts/make_content.sh --check

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBURROWGALE_SANITIZE=ON \
    -DBURROWGALE_TESTS=ON -DBURROWGALE_WERROR=ON >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure --no-tests=error -j "$jobs")

cmake -S . -B build-test -G Ninja -DBURROWGALE_TESTS=ON -DBURROWGALE_WERROR=ON >/dev/null
cmake --build build-test -j "$jobs"
./web.sh
(cd build-test && ctest --output-on-failure --no-tests=error -j "$jobs")
