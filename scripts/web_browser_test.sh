#!/usr/bin/env bash
# Runs scripts/web_browser_test.js on a built page with puppeteer-core from the cache.
# Usage: scripts/web_browser_test.sh build-web/site [--bench N]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
modules=$("$root/scripts/web_deps.sh" puppeteer)
NODE_PATH="$modules" exec node "$root/scripts/web_browser_test.js" "$@"
