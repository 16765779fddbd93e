#!/usr/bin/env bash
# Builds everything and runs the benchmarks under Wine; they print ratios against a plain copy,
# an NSIS package of the same files and a trivial window program.
set -euo pipefail
source "$(dirname "$0")/common.sh"

# The NSIS peer of the package is built at bench time, with makensis.
hdgr_packages+=(nsis)
hdgr_install_dependencies
hdgr_build
"$HDGR_ROOT/scripts/with-wine.sh" "$HDGR_WIN64/wineprefix" \
  ctest --test-dir "$HDGR_WIN64" --output-on-failure -V -L bench
