#!/usr/bin/env bash
# Builds Quellmoor for the browser into build-web/site/: index.html, terminal.js, the game
# (quellmoor.js and quellmoor.wasm, compiled from the same sources as the console program)
# and the terminal widget (xterm.js, from npm).
#
# Needs Debian's emscripten, cmake and ninja, and node with npm:
#   sudo apt-get install emscripten cmake ninja-build nodejs npm
set -euo pipefail
cd "$(dirname "$0")/.."

# Debian's emscripten finds its JavaScript tools (acorn) only through NODE_PATH.
export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"

if [ ! -f node_modules/@xterm/xterm/package.json ]; then
    npm ci --no-audit --no-fund
fi

emcmake cmake -S web -B build-web/cmake -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build-web/cmake

site=build-web/site
rm -rf "$site"
mkdir -p "$site"
cp web/index.html web/terminal.js build-web/cmake/web/quellmoor.js build-web/cmake/web/quellmoor.wasm "$site/"
xterm=node_modules/@xterm/xterm
cp "$xterm/css/xterm.css" "$site/"
cp "$xterm/LICENSE" "$site/xterm-LICENSE.txt"
# The source map it points to is not shipped.
grep -v '^//# sourceMappingURL=' "$xterm/lib/xterm.mjs" >"$site/xterm.mjs"

echo "Built $site:"
ls -l "$site"
