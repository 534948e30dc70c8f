#!/usr/bin/env bash
# The studio's browser test: installs playwright-core from the lock file when
# it is missing or stale (no browser is downloaded: the test drives Debian's
# chromium), then runs it.
#
#   tests/browser/run.sh SVGGENERATOR SOURCE_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cd "$here"
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
    PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
fi
exec node studio_test.mjs "$1" "$2"
