#!/usr/bin/env bash
# A cheap, deterministic guard on the game's cost, for CI: instructions counted by
# callgrind (not seconds, which a busy machine blurs), each held under a ceiling with
# generous headroom over what the benchmark measures, and over a floor that a program
# doing no work stays under (/bin/true: 0 per command and about 128,000 to start, nearly
# all of it the dynamic loader; an empty C++ main costs about 124,000).
#
# Usage: bench/guard.sh PROGRAM       (an optimised build, e.g. build/release/quellmoor)
# Needs: valgrind and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
game=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

per_command_floor=200      # measured: about 439 (435 unhardened)
per_command_ceiling=1000
startup_floor=150000       # measured: about 690,000 (620,000 unhardened), of which about
startup_ceiling=1000000    # 420,000 load libedit and the libraries it needs for the line editor

instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$game" <"$1" 2>&1 >/dev/null |
        sed -n 's/.*Collected : //p'
}

python3 bench/command_script.py 20000 >"$work/short.txt"
python3 bench/command_script.py 40000 >"$work/long.txt"
echo quit >"$work/quit.txt"

per_command=$((($(instructions "$work/long.txt") - $(instructions "$work/short.txt")) / 20000))
startup=$(instructions "$work/quit.txt")
echo "instructions per command: $per_command (floor $per_command_floor, ceiling $per_command_ceiling)"
echo "instructions to start and quit: $startup (floor $startup_floor, ceiling $startup_ceiling)"
[ "$per_command" -ge "$per_command_floor" ] && [ "$per_command" -le "$per_command_ceiling" ] &&
    [ "$startup" -ge "$startup_floor" ] && [ "$startup" -le "$startup_ceiling" ]
