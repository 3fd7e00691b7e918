#!/usr/bin/env bash
# Builds the browser version and serves it on this machine: http://127.0.0.1:8080/
# (another port: web/tools/serve.sh 9000). Ctrl-C stops the server.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash web/tools/build.sh
exec node web/server/server.js "${1:-8080}" build-web/site
