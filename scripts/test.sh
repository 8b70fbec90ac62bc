#!/usr/bin/env bash
# Builds and runs every test twice: a normal build (build/) and one with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan/). Pass --quick to skip the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
if [ "${1:-}" = "--quick" ]; then
    quick=1
fi

scripts/install_deps.sh
scripts/check_layers.py

run_suite() {
    local folder=$1
    shift
    cmake -S . -B "$folder" -G Ninja "$@" >/dev/null
    cmake --build "$folder" -j2
    (cd "$folder" && ctest --output-on-failure -j2)
}

echo "== normal build"
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ $quick -eq 0 ]; then
    echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
    run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DVARDEN_SANITIZE=ON -DVARDEN_BENCH=OFF
fi
