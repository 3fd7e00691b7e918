#!/usr/bin/env bash
# Fuzzes whole games for SECONDS (default 120): builds the fuzzer with the "fuzz" preset,
# seeds it with every golden transcript's input and the game's words, and runs it.
#
# Fails on any crash, sanitizer report, failed check of the fuzzer's own, time-out (a
# game taking over 5 s) or memory blow-up (over 256 MB). What the fuzzer found is kept
# in build/fuzz/run/artifacts/; each such input belongs in a golden transcript once the
# fault is fixed. Prints the fuzzer's final stats: executions per second and in total.
#
# Usage: fuzz/run.sh [SECONDS]
# Needs: cmake, ninja, clang++ and libFuzzer (Debian packages clang and the libclang-rt-N-dev
# of its version: 14 on Debian 12, 19 on Debian 13).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-120}
build=build/fuzz
work=$build/run

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

rm -rf "$work/seeds" "$work/artifacts"
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
seeds=0
for script in tests/golden/*/*.in; do
    [ -f "$script" ] || continue
    folder=$(basename "$(dirname "$script")")
    cp "$script" "$work/seeds/$folder.$(basename "$script")"
    seeds=$((seeds + 1))
done
echo "Fuzzing for ${seconds} s from ${seeds} golden transcript inputs"

# AddressSanitizer holds freed memory back for 256 MB by default, which alone would reach
# the memory limit in a long run; a smaller hold still catches use after free.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32}

status=0
"$build/quellmoor_fuzzer" \
    -dict=fuzz/quellmoor.dict \
    -max_total_time="$seconds" \
    -timeout=5 \
    -rss_limit_mb=256 \
    -max_len=4096 \
    -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" \
    "$work/corpus" "$work/seeds" >"$work/log" 2>&1 || status=$?

# The fuzzer's exit status covers crashes, time-outs and memory; a sanitizer report or a
# finding written to disk fails the run even if the status somehow does not say so.
found=$(find "$work/artifacts" -type f | wc -l)
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ] ||
    grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|game_fuzzer:' "$work/log"; then
    tail -n 60 "$work/log"
    echo "FUZZING FAILED (exit status $status); findings:"
    find "$work/artifacts" -type f -exec ls -l {} +
    exit 1
fi

grep -E '^(#[0-9]+ +DONE|Done [0-9]+ runs)' "$work/log" || true
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log")
memory=$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/log")
echo "Fuzzing passed: ${runs} inputs in ${seconds} s (each played three times), ${speed} inputs/s," \
    "peak memory ${memory} MB, corpus $(find "$work/corpus" -type f | wc -l) inputs"
