#!/usr/bin/env bash
# Builds and runs every test: a normal build (build/) and one with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan/). Pass --quick to skip the sanitizer build.
#
# Run as root, it then runs the whole suite once more as an unprivileged user (no root, no
# capabilities, a member of dialout), in a Release build of a copy of the checkout that the user
# owns: root passes file permissions and the terminals' exclusive flag, so a suite that only
# ran as root would hide faults that users meet. Run as a normal user, it is that user's run.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
if [ "${1:-}" = "--quick" ]; then
    quick=1
fi
test_user=${VARDEN_TEST_USER:-varden-test}

scripts/install_deps.sh
scripts/check_layers.py

run_suite() {
    local folder=$1
    shift
    cmake -S . -B "$folder" -G Ninja -DVARDEN_WERROR=ON "$@" >/dev/null
    cmake --build "$folder" -j2
    (cd "$folder" && ctest --output-on-failure -j2)
}

# The suite as $test_user, in a Release build of a copy it owns: the checkout itself may lie
# where the user cannot read (a root-only home) or write.
run_as_normal_user() {
    if ! id "$test_user" >/dev/null 2>&1; then
        useradd --create-home --groups dialout --shell /bin/bash "$test_user"
    fi
    local home copy
    home=$(getent passwd "$test_user" | cut -d: -f6)
    copy=$(runuser -u "$test_user" -- mktemp -d /tmp/varden-user-run.XXXXXX)
    tar --exclude='./build*' --exclude=./demo --exclude=./.git -cf - . |
        runuser -u "$test_user" -- tar -xf - -C "$copy"
    runuser -u "$test_user" -- env -i HOME="$home" USER="$test_user" LOGNAME="$test_user" \
        PATH="$PATH" LANG=C.UTF-8 bash -c "
            set -euo pipefail
            cd '$copy'
            cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARDEN_WERROR=ON \
                -DVARDEN_BENCH=OFF >/dev/null
            cmake --build build-release -j2
            cd build-release && ctest --output-on-failure -j2"
    rm -rf "$copy"
}

echo "== normal build"
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ $quick -eq 0 ]; then
    echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
    (
        export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
        export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
        export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
        run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DVARDEN_SANITIZE=ON -DVARDEN_BENCH=OFF
    )
fi

if [ "$(id -u)" -eq 0 ]; then
    echo "== Release build, every test as the unprivileged user $test_user"
    run_as_normal_user
fi
