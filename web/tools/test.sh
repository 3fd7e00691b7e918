#!/usr/bin/env bash
# The page's loop: brings what its tests need up to date, then runs the page's tests whose
# names match PATTERN (a regular expression, as node --test-name-pattern takes it; without
# one, every test of web/test/*.test.js).
#   web/tools/test.sh [PATTERN]        e.g. web/tools/test.sh 'firefox|resumes'
# The site is built again (web/tools/build.sh) when its sources changed since it was built,
# as build-web/site.sources lists them; the tests refuse such a site. The console program,
# their reference, is QUELLMOOR_CONSOLE, or else the one in build-web/console/, configured the
# first time and brought up to date each time (a moment when nothing changed).
set -euo pipefail
cd "$(dirname "$0")/../.."

# npm writes node_modules/.package-lock.json as it installs: older than the lock file, or
# missing, the packages are not those it names.
[ node_modules/.package-lock.json -nt package-lock.json ] || PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund

if ! node web/tools/source_stamp.js --check build-web/site.sources; then
    bash web/tools/build.sh >/dev/null
fi

if [ -z "${QUELLMOOR_CONSOLE:-}" ]; then
    [ -f build-web/console/build.ninja ] ||
        cmake -S . -B build-web/console -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUELLMOOR_TESTS=OFF >/dev/null
    cmake --build build-web/console --target quellmoor
    export QUELLMOOR_CONSOLE="$PWD/build-web/console/quellmoor"
fi

filter=()
[ $# -eq 0 ] || filter=(--test-name-pattern="$1")
exec node --test "${filter[@]}" web/test/*.test.js
