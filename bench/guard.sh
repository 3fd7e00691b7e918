#!/usr/bin/env bash
# A cheap, deterministic guard on the game's cost, for CI: instructions counted by
# callgrind (not seconds, which a busy machine blurs), each held under a ceiling with
# generous headroom over what the benchmark measures.
#
# Usage: bench/guard.sh PROGRAM       (an optimised build, e.g. build/release/quellmoor)
# Needs: valgrind and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
game=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

per_command_ceiling=1000   # measured: about 430
startup_ceiling=500000     # measured: about 200,000

instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$game" <"$1" 2>&1 >/dev/null |
        sed -n 's/.*Collected : //p'
}

python3 bench/command_script.py 20000 >"$work/short.txt"
python3 bench/command_script.py 40000 >"$work/long.txt"
echo quit >"$work/quit.txt"

per_command=$((($(instructions "$work/long.txt") - $(instructions "$work/short.txt")) / 20000))
startup=$(instructions "$work/quit.txt")
echo "instructions per command: $per_command (ceiling $per_command_ceiling)"
echo "instructions to start and quit: $startup (ceiling $startup_ceiling)"
[ "$per_command" -le "$per_command_ceiling" ] && [ "$startup" -le "$startup_ceiling" ]
