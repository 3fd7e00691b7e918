#!/usr/bin/env bash
# Fuzzes for SECONDS (default 120) in all: builds the fuzzers with the "fuzz" preset, then
# runs each for its share of the time:
#   games  three quarters: whole games, seeded with every golden transcript's input and
#          the game's words;
#   keys   a quarter: the bytes typed at a terminal, through the line editor's key
#          decoder, seeded with every form of every key it binds (a small space: the
#          decoder's states are few).
#
# Fails on any crash, sanitizer report, failed check of a fuzzer's own, time-out (an input
# taking over 5 s) or memory blow-up (over 256 MB). What a fuzzer found is kept in
# build/fuzz/run/NAME/artifacts/; each such input belongs in a test (a golden transcript, a
# key decoder test) once the fault is fixed. Prints each fuzzer's final stats: executions
# per second and in total.
#
# Usage: fuzz/run.sh [SECONDS]
# Needs: cmake, ninja, clang++ and libFuzzer (Debian packages clang and the libclang-rt-N-dev
# of its version: 14 on Debian 12, 19 on Debian 13).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-120}
build=build/fuzz

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# AddressSanitizer holds freed memory back for 256 MB by default, which alone would reach
# the memory limit in a long run; a smaller hold still catches use after free.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32}

# Runs fuzzer NAME (build/fuzz/BINARY) for SECS seconds on build/fuzz/run/NAME/seeds,
# with any further OPTIONS; fails on anything found.
fuzz() {
    local name=$1 binary=$2 secs=$3
    shift 3
    local work=$build/run/$name status=0
    echo "Fuzzing $name for ${secs} s from $(find "$work/seeds" -type f | wc -l) seeds"
    "$build/$binary" "$@" \
        -max_total_time="$secs" \
        -timeout=5 \
        -rss_limit_mb=256 \
        -max_len=4096 \
        -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" \
        "$work/corpus" "$work/seeds" >"$work/log" 2>&1 || status=$?

    # The fuzzer's exit status covers crashes, time-outs and memory; a sanitizer report or
    # a finding written to disk fails the run even if the status somehow does not say so.
    local found
    found=$(find "$work/artifacts" -type f | wc -l)
    if [ "$status" -ne 0 ] || [ "$found" -ne 0 ] ||
        grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|_fuzzer:' "$work/log"; then
        tail -n 60 "$work/log"
        echo "FUZZING $name FAILED (exit status $status); findings:"
        find "$work/artifacts" -type f -exec ls -l {} +
        exit 1
    fi

    grep -E '^(#[0-9]+ +DONE|Done [0-9]+ runs)' "$work/log" || true
    local runs speed memory
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log")
    memory=$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/log")
    echo "Fuzzing $name passed: ${runs} inputs in ${secs} s, ${speed} inputs/s," \
        "peak memory ${memory} MB, corpus $(find "$work/corpus" -type f | wc -l) inputs"
}

# Empties NAME's seeds and findings of the last run; its corpus grows from run to run.
fresh() {
    rm -rf "$build/run/$1/seeds" "$build/run/$1/artifacts"
    mkdir -p "$build/run/$1/seeds" "$build/run/$1/corpus" "$build/run/$1/artifacts"
}

fresh games
for script in tests/golden/*/*.in; do
    [ -f "$script" ] || continue
    folder=$(basename "$(dirname "$script")")
    cp "$script" "$build/run/games/seeds/$folder.$(basename "$script")"
done
fresh keys
QUELLMOOR_KEY_SEEDS=$build/run/keys/seeds "$build/quellmoor_key_fuzzer"

keys_seconds=$((seconds / 4))
fuzz games quellmoor_fuzzer $((seconds - keys_seconds)) -dict=fuzz/quellmoor.dict
echo "(each game input is played three times)"
fuzz keys quellmoor_key_fuzzer "$keys_seconds"
