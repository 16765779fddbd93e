#!/usr/bin/env bash
# Builds everything and runs the benchmarks under Wine; they print ratios against a plain copy.
set -euo pipefail
source "$(dirname "$0")/common.sh"

hdgr_install_dependencies
hdgr_build
"$HDGR_ROOT/scripts/with-wine.sh" "$HDGR_WIN64/wineprefix" \
  ctest --test-dir "$HDGR_WIN64" --output-on-failure -V -L bench
