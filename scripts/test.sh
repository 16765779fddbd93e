#!/usr/bin/env bash
# Builds everything and runs every test: native unit tests, the same under the sanitizers
# with a short run of each fuzz target, then the Windows programs' tests under Wine in a
# throw-away prefix on a private X display.
set -euo pipefail
source "$(dirname "$0")/common.sh"

hdgr_install_dependencies
hdgr_build

echo "== Native tests"
ctest --test-dir "$HDGR_NATIVE" --output-on-failure -j "$HDGR_JOBS"

# The same tests once more under the sanitizers, each fuzz target's corpus replayed among
# them, then every fuzz target for a few seconds: a finding stops the run and names the
# file that holds its input.
hdgr_build_sanitize
echo "== Native tests under the sanitizers"
ctest --test-dir "$HDGR_SANITIZE_DIR" --output-on-failure -j "$HDGR_JOBS"
echo "== Fuzzing, ${HDGR_FUZZ_SECONDS:=5} s per target"
hdgr_fuzz "$HDGR_FUZZ_SECONDS"

echo "== Windows tests under Wine"
# One prefix, one drive C and one registry for all of them: run them one at a time.
"$HDGR_ROOT/scripts/with-wine.sh" "$HDGR_WIN64/wineprefix" \
  ctest --test-dir "$HDGR_WIN64" --output-on-failure -LE bench --timeout 600
