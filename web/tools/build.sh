#!/usr/bin/env bash
# Builds Quellmoor for the browser into build-web/site/: the page (index.html, its style
# sheet page.css, its first script early.js, its other scripts bundled into page.js, its manifest, icons and service worker) and the game (quellmoor.js and quellmoor.wasm,
# compiled from the same sources as the console program), each text and the WebAssembly with
# brotli and gzip copies beside it (NAME.br, NAME.gz). Beside the site, build-web/site.sources
# lists the sources it was built from (web/tools/source_stamp.js), for the tests to refuse an
# older site.
#
# Needs Debian's emscripten, cmake and ninja, node and npm (for the bundler, esbuild):
#   sudo apt-get install emscripten cmake ninja-build nodejs npm
set -euo pipefail
cd "$(dirname "$0")/../.."

[ -x node_modules/.bin/esbuild ] || npm ci --no-audit --no-fund

# Debian's emscripten finds its JavaScript tools (acorn) only through NODE_PATH.
export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"

site=build-web/site
# The sources as the build starts: an edit made while it runs is not in this site.
mkdir -p build-web
node web/tools/source_stamp.js > "$site.sources.new"

emcmake cmake -S web/wasm -B build-web/cmake -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build build-web/cmake

rm -rf "$site" "$site.sources"
mkdir -p "$site"
cp web/page/manifest.webmanifest web/page/icon.svg web/page/icon-180.png build-web/cmake/web/quellmoor.wasm "$site/"
# One name for this build, written into index.html, page.js and quellmoor.js: the page checks
# that the three it loaded agree (web/page/loader.js), as it checks the wasm against its hash.
build=$(cat build-web/cmake/web/quellmoor.wasm build-web/cmake/web/quellmoor.js web/page/*.js web/page/*.css web/page/index.html \
        | sha256sum | cut -c1-16)
sed "s/@BUILD_ID@/$build/" web/page/index.html > "$site/index.html"
# The page's modules in one script and the game's program, both minified (esbuild): a first
# visit on a slow line then waits for three requests and a third fewer bytes.
npx --no-install esbuild web/page/main.js --bundle --minify --format=esm --log-level=warning --outfile="$site/page.js"
sed -i "s/@BUILD_ID@/$build/" "$site/page.js"
# The page's style and its first script, files of their own (the page's policy refuses inline
# ones), minified, and named with the build too: a host that kept an old one is found out.
npx --no-install esbuild web/page/page.css --minify --log-level=warning --outfile="$site/page.css"
npx --no-install esbuild web/page/early.js --minify --log-level=warning --outfile="$site/early.js"
sed -i "s/@BUILD_ID@/$build/" "$site/page.css" "$site/early.js"
npx --no-install esbuild build-web/cmake/web/quellmoor.js --minify --log-level=warning --outfile="$site/quellmoor.js"
# The program checks that the compiled code it fetches is of its own build (web/page/updates.js).
echo "createQuellmoor.wasmSha256 = '$(sha256sum "$site/quellmoor.wasm" | cut -c1-64)';" >> "$site/quellmoor.js"
echo "createQuellmoor.build = '$build';" >> "$site/quellmoor.js"

# The service worker keeps this build's files under a name of their own: a hash of them.
node web/tools/precache.js "$site"
# Brotli and gzip copies beside the files, last, for a server that sends such copies.
node web/tools/precompress.js "$site"
mv "$site.sources.new" "$site.sources"

echo "Built $site:"
ls -l "$site"
