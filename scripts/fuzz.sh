#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz in build-fuzz/ (clang 14, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time on a copy of its seed corpus.
# Prints one summary line per target and exits non-zero when the build fails or a target
# crashes (or hangs, or runs out of memory). Crashing inputs and logs are kept in
# build-fuzz/fuzz-findings/; a crash found becomes a regression test of its subsystem.
#
# Each target starts from its corpus kept in tests/fuzz/corpus/<target>/. With --keep, what a
# run learnt is merged back into that folder (libFuzzer's -merge=1, by branches reached and
# not by how often: only inputs that reach code the kept ones do not, so that the folder stays
# small), and the next run starts from there; commit the new files.
#
# Usage: scripts/fuzz.sh [--keep] [seconds per target]     (default: $FUZZ_SECONDS, else 60)
#        FUZZ_TARGETS="fuzz_upload fuzz_messages" scripts/fuzz.sh 30   runs only those
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

keep=0
if [ "${1:-}" = "--keep" ]; then
    keep=1
    shift
fi
seconds=${1:-${FUZZ_SECONDS:-60}}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "fuzz.sh: the time per target must be a whole number of seconds, not '$seconds'" >&2
    exit 2
fi

build=$root/build-fuzz
findings=$build/fuzz-findings

# Target, corpus folder under tests/fuzz/corpus/, longest input the fuzzer may make.
targets=(
    "fuzz_messages messages 24000"
    "fuzz_upload upload 3000"
    "fuzz_description description 50000"
    "fuzz_dump_analysis dump_analysis 17000"
    "fuzz_results_file results_file 8192"
    "fuzz_upgrade_replies upgrade_replies 4096"
    "fuzz_sample_file sample_file 2000"
)

scripts/install_deps.sh

echo "== fuzz build ($build)"
if ! CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVARDEN_FUZZ=ON -DVARDEN_WERROR=ON -DVARDEN_TESTS=OFF -DVARDEN_BENCH=OFF >/dev/null ||
    ! cmake --build "$build" -j2 --target varden_fuzz; then
    echo "fuzz.sh: the fuzz build failed" >&2
    exit 1
fi

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$findings"

failed=0
echo "== fuzzing, $seconds s per target"
for entry in "${targets[@]}"; do
    read -r target seeds max_len <<<"$entry"
    if [ -n "${FUZZ_TARGETS:-}" ] && ! [[ " $FUZZ_TARGETS " == *" $target "* ]]; then
        continue
    fi
    kept=$root/tests/fuzz/corpus/$seeds
    corpus=$work/$target
    mkdir -p "$corpus"
    cp "$kept"/* "$corpus"/
    seed_count=$(find "$corpus" -type f | wc -l)
    log=$findings/$target.log
    rm -f "$findings/$target"-crash-* "$findings/$target"-timeout-* "$findings/$target"-oom-* \
        "$findings/$target"-leak-*

    "$build/$target" "$corpus" -max_total_time="$seconds" -max_len="$max_len" -timeout=20 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$target-" \
        >"$log" 2>&1
    result=$?

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    corpus_count=$(find "$corpus" -type f | wc -l)
    if [ $result -eq 0 ]; then
        echo "$target: ok, ${runs:-?} runs in $seconds s, corpus $seed_count -> $corpus_count inputs"
        if [ $keep -eq 1 ]; then
            if "$build/$target" -merge=1 -use_counters=0 -max_len="$max_len" -timeout=20 \
                    -rss_limit_mb=2048 \
                    "$kept" "$corpus" >>"$log" 2>&1; then
                echo "$target: kept $(find "$kept" -type f | wc -l) inputs in $kept"
            else
                failed=1
                echo "$target: FAILED to merge the corpus into $kept, log: $log"
            fi
        fi
    else
        failed=1
        artifact=$(ls "$findings/$target"-* 2>/dev/null | grep -v '\.log$' | head -1)
        echo "$target: FAILED (exit $result), input: ${artifact:-none saved}, log: $log"
        grep -m1 -E '^(==[0-9]+==ERROR|SUMMARY)|check failed|runtime error' "$log" | sed 's/^/    /'
    fi
done

if [ $failed -ne 0 ]; then
    echo "fuzz.sh: a target failed; rerun one input with build-fuzz/<target> <input>" >&2
    exit 1
fi
echo "fuzz.sh: every target ran without a crash"
