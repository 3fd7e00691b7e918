#!/usr/bin/env bash
# Line and branch coverage of the game (src/) after the whole test suite: a GCC build
# with --coverage at -O0 (the "coverage" preset) runs every test, then gcovr reports each
# file and the totals, and fails unless every line of src/ ran.
#
# Needs gcovr (Debian: apt-get install gcovr). Usage: scripts/coverage.sh
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v gcovr >/dev/null; then
    echo "coverage: gcovr is missing; install it with: apt-get install gcovr" >&2
    exit 1
fi

cmake --preset coverage >/dev/null
cmake --build --preset coverage
# Counts add up across runs: start from zero so the figures are this suite's alone.
find build/coverage -name '*.gcda' -delete
ctest --preset coverage

# Branches that only exception handling could take are left out: the game throws none.
# So is a line that is nothing but a closing brace: newer compilers give it the clean-up
# an exception would run on leaving the block, which the game, throwing none, never runs.
report() {
    gcovr --root . --object-directory build/coverage --filter 'src/' \
        --exclude-throw-branches --exclude-unreachable-branches \
        --exclude-lines-by-pattern '^\s*\};?\s*$' --sort-percentage "$@"
}
echo "Lines of src/ run by the suite:"
report
echo "Branches of src/ taken both ways by the suite:"
# Every line of the game runs in some test; a line no test can reach is marked in the
# code with its reason (GCOVR_EXCL_LINE).
report --branches --print-summary --fail-under-line 100
