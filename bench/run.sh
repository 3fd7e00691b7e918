#!/usr/bin/env bash
# The whole-program benchmark: builds the game optimised, plays long command scripts
# through pipes and reports throughput (beside cat), instructions per command, startup
# cost (beside /bin/true), peak memory and output system calls; then the in-process
# benchmark of single commands.
#
# Usage: bench/run.sh [RUNS]      (RUNS timed runs of each measurement, median shown; 5)
# Needs: cmake, ninja, g++, python3, valgrind, strace, /usr/bin/time (Debian package "time")
# and Google Benchmark (Debian package "libbenchmark-dev").
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
build=build/bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUELLMOOR_BENCHMARK=ON \
    -DQUELLMOOR_TESTS=OFF >/dev/null
cmake --build "$build" >/dev/null
game=$build/quellmoor

for n in 100000 200000 1000000 10000000; do
    python3 bench/command_script.py "$n" >"$work/script-$n.txt"
done
echo quit >"$work/quit.txt"
"$game" <"$work/script-1000000.txt" >"$work/output-1000000.txt"

now() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Seconds (as nanoseconds) for one run of a shell command line.
clock() {
    local start end
    start=$(now)
    bash -c "$1"
    end=$(now)
    echo $((end - start))
}

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
echo

echo "== Throughput: 1,000,000 commands through a pipe =="
game_times=() cat_times=()
for ((i = 0; i < runs; i++)); do
    game_times+=("$(clock "'$game' <'$work/script-1000000.txt' | cat >/dev/null")")
    cat_times+=("$(clock "cat '$work/output-1000000.txt' | cat >/dev/null")")
done
game_ns=$(printf '%s\n' "${game_times[@]}" | median)
cat_ns=$(printf '%s\n' "${cat_times[@]}" | median)
bytes=$(stat -c %s "$work/output-1000000.txt")
awk -v g="$game_ns" -v c="$cat_ns" -v b="$bytes" 'BEGIN {
    printf "game: %.3f s, %.2f million commands/s (%d output bytes)\n", g / 1e9, 1e6 / (g / 1e9) / 1e6, b
    printf "cat passing the same bytes: %.3f s\n", c / 1e9
    printf "ratio game/cat: %.2f\n", g / c
}'
echo

echo "== Instructions per command (callgrind, slope between 100,000 and 200,000) =="
instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$game" <"$1" 2>&1 >/dev/null |
        sed -n 's/.*Collected : //p'
}
small=$(instructions "$work/script-100000.txt")
large=$(instructions "$work/script-200000.txt")
echo "100,000 commands: $small; 200,000 commands: $large"
echo "per command: $(((large - small) / 100000))"
echo

echo "== Startup and quit =="
echo "instructions: $(instructions "$work/quit.txt")"
startup_times=() true_times=()
for ((i = 0; i < runs; i++)); do
    startup_times+=("$(clock "for j in {1..200}; do '$game' <'$work/quit.txt' >/dev/null; done")")
    true_times+=("$(clock "for j in {1..200}; do /bin/true <'$work/quit.txt' >/dev/null; done")")
done
s_ns=$(printf '%s\n' "${startup_times[@]}" | median)
t_ns=$(printf '%s\n' "${true_times[@]}" | median)
awk -v s="$s_ns" -v t="$t_ns" 'BEGIN {
    printf "wall per run: %.3f ms; /bin/true: %.3f ms; ratio %.2f\n", s / 200e6, t / 200e6, s / t
}'
echo

echo "== Peak memory =="
for n in 1000000 10000000; do
    kb=$(/usr/bin/time -f %M "$game" <"$work/script-$n.txt" 2>&1 >/dev/null)
    echo "$n commands: $kb KB"
done
echo

echo "== Output system calls =="
writes() { strace -f -c -e trace=write,writev "$@" 2>&1 >/dev/null | awk '/total/ { print $(NF-1) }'; }
piped=$(writes "$game" <"$work/script-1000000.txt")
echo "piped, 1,000,000 commands: $piped writes for $bytes bytes" \
    "($((bytes / piped)) bytes per write)"
# A player: 20 words, each typed after the previous answer had time to appear.
player() {
    for word in look map stats w attack e n look s s e s w n e teleport 3 look map quit; do
        echo "$word"
        sleep 0.02
    done
}
interactive=$(player | writes "$game")
echo "interactive, 20 words typed one at a time: $interactive writes (one per answer)"
echo

echo "== Single commands in-process (Google Benchmark) =="
"$build/quellmoor_benchmark" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
