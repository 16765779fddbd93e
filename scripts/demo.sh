#!/usr/bin/env bash
# Builds the demo package (the setup program with the demo payload packed into its carrier)
# and runs it under Wine: on your display when there is one, else on a private Xvfb.
set -euo pipefail
source "$(dirname "$0")/common.sh"

hdgr_install_dependencies
hdgr_build

version=${HDGR_PACKAGE_VERSION:-3.4.0}
IFS=. read -r major minor _ <<<"$version"
setup_exe="$HDGR_WIN64/app/hdGR_${major}_${minor}_Setup.exe"
echo "== Package: $setup_exe"
lengths=()
if [ -n "${HDGR_PAYLOAD_DIR:-}" ]; then
  lengths=(--lengths "$(for name in Setup.exe HaldenGrid.CAB Setup.LST HaldenGrid.exe; do
    stat -c %s "$HDGR_PAYLOAD_DIR/$name"; done | paste -sd,)")
fi
"$HDGR_NATIVE/bin/hdgr-pack" check "$HDGR_WIN64/demo_payload/carrier.bmp" "${lengths[@]}"

if [ -n "${DISPLAY:-}" ]; then
  echo "== Running it on $DISPLAY (a fresh Wine prefix in $HDGR_BUILD/demo-prefix)"
  HDGR_USE_DISPLAY=1 "$HDGR_ROOT/scripts/with-wine.sh" "$HDGR_BUILD/demo-prefix" \
    wine64 "$setup_exe"
else
  echo "== No display: running it on a private Xvfb"
  "$HDGR_ROOT/scripts/with-wine.sh" "$HDGR_BUILD/demo-prefix" \
    "$HDGR_ROOT/scripts/demo-walkthrough.sh" "$setup_exe" "$HDGR_BUILD/demo-screenshot.png"
fi
