#!/usr/bin/env bash
# Checks the browser version: builds it, plays every golden transcript and a long script
# on it under node against the console program, and plays it in a real browser (Debian's
# chromium, driven by Playwright) on a desktop and on a phone, and in Firefox and WebKit
# (Debian's firefox-esr and WebKitGTK's MiniBrowser, web/test/engines.test.js), served by nginx and
# Caddy as docs/hosting.md configures them (web/test/hosts.test.js), then times its answers over
# a game of 1,000 commands and a first visit over a slow network. Installs what is missing
# (as root, on Debian); Debian 12's own nodejs (Node 18) will do. Screenshots and the
# page's size and load time land in build-web/.
set -euo pipefail
cd "$(dirname "$0")/../.."

need=()
command -v em++ >/dev/null || need+=(emscripten)
[ -x /usr/bin/chromium ] || need+=(chromium)
[ -x /usr/bin/firefox-esr ] || need+=(firefox-esr)
[ -x /usr/bin/WebKitWebDriver ] || need+=(webkit2gtk-driver)  # and its MiniBrowser
[ -x /usr/bin/Xvfb ] || need+=(xvfb)  # WebKit's screen
[ -f /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf ] || need+=(fonts-dejavu-core)
# The servers the hosting guide's recipes are played through (web/test/hosts.test.js).
[ -x /usr/sbin/nginx ] || need+=(nginx)
[ -f /usr/lib/nginx/modules/ngx_http_brotli_static_module.so ] || need+=(libnginx-mod-http-brotli-static)
[ -x /usr/bin/caddy ] || need+=(caddy)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v g++ >/dev/null || need+=(g++)
[ -f /usr/include/histedit.h ] || need+=(libedit-dev)  # the console program's line editor
command -v npm >/dev/null || need+=(npm)
if [ ${#need[@]} -gt 0 ]; then
    echo "Installing ${need[*]}"
    apt-get update -qq
    # Installed, nginx and Caddy would start as services, both on port 80, and the second
    # would fail its installation: the tests start their own. Debian's policy-rc.d keeps
    # any service from starting while packages are installed.
    held=""
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d
        chmod +x /usr/sbin/policy-rc.d
        held=/usr/sbin/policy-rc.d
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
    [ -z "$held" ] || rm "$held"
fi

# The browsers are Debian's: no package may fetch one of its own.
export PUPPETEER_SKIP_DOWNLOAD=1
npm ci --no-audit --no-fund
bash web/tools/build.sh

# Every test of the page, against the console program from the same sources (or
# QUELLMOOR_CONSOLE).
bash web/tools/test.sh

# The cost of an answer late in a long game against early in it, on a desktop and on a
# slowed phone: fails when it more than doubles.
node web/test/repaint_bench.js
# A first visit on a slow phone through web/server/server.js: the times to the banner and to the
# first answered word, printed, not judged.
node web/test/first_visit_bench.js
