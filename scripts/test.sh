#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, then the Windows programs' tests
# under Wine in a throw-away prefix on a private X display.
set -euo pipefail
source "$(dirname "$0")/common.sh"

hdgr_install_dependencies
hdgr_build

echo "== Native tests"
ctest --test-dir "$HDGR_NATIVE" --output-on-failure -j "$HDGR_JOBS"

echo "== Windows tests under Wine"
# One prefix, one drive C and one registry for all of them: run them one at a time.
"$HDGR_ROOT/scripts/with-wine.sh" "$HDGR_WIN64/wineprefix" \
  ctest --test-dir "$HDGR_WIN64" --output-on-failure -LE bench --timeout 600
