#!/usr/bin/env bash
# Checks the browser version: builds it, plays every golden transcript and a long script
# on it under node against the console program, and plays it in a real browser (Debian's
# chromium, driven by Playwright) on a desktop and on a phone, then times its answers over
# a game of 1,000 commands and a first visit over a slow network. Installs what is missing
# (as root, on Debian); Debian 12's own nodejs (Node 18) will do. Screenshots and the
# page's size and load time land in build-web/.
set -euo pipefail
cd "$(dirname "$0")/../.."

need=()
command -v em++ >/dev/null || need+=(emscripten)
[ -x /usr/bin/chromium ] || need+=(chromium)
[ -f /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf ] || need+=(fonts-dejavu-core)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
[ -f /usr/include/histedit.h ] || need+=(libedit-dev)  # the console program's line editor
command -v npm >/dev/null || need+=(npm)
if [ ${#need[@]} -gt 0 ]; then
    echo "Installing ${need[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

npm ci --no-audit --no-fund
bash web/tools/build.sh

# The console program from the same sources, as the reference.
if [ -z "${QUELLMOOR_CONSOLE:-}" ]; then
    cmake -S . -B build-web/console -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUELLMOOR_TESTS=OFF >/dev/null
    cmake --build build-web/console --target quellmoor
    export QUELLMOOR_CONSOLE="$PWD/build-web/console/quellmoor"
fi

node --test web/test/golden.test.js web/test/server.test.js web/test/browser.test.js

# The cost of an answer late in a long game against early in it, on a desktop and on a
# slowed phone: fails when it more than doubles.
node web/test/repaint_bench.js
# A first visit on a slow phone through web/server/server.js: the times to the banner and to the
# first answered word, printed, not judged.
node web/test/first_visit_bench.js
