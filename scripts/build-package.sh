#!/usr/bin/env bash
# Builds a release's setup package from a folder of its four files and its version:
#   scripts/build-package.sh FOLDER VERSION
# FOLDER holds Setup.exe, HaldenGrid.CAB, Setup.LST and HaldenGrid.exe, of any lengths;
# VERSION is major.minor.revision. The package is
# build/package-VERSION/app/hdGR_<major>_<minor>_Setup.exe (HDGR_BUILD moves build/), with
# its files' lengths, its carrier's size and its version compiled in, signed when the
# HDGR_SIGN_* settings name a certificate (README: "Signing a package"). Ends with where each
# file lies in the carrier, as hdgr-pack check reads it.
set -euo pipefail
source "$(dirname "$0")/common.sh"

usage="usage: scripts/build-package.sh FOLDER VERSION (e.g. scripts/build-package.sh ~/release 3.5.0)"
folder=${1:?$usage}
version=${2:?$usage}
[ $# -eq 2 ] || { echo "$usage" >&2; exit 2; }
[ -d "$folder" ] || { echo "build-package.sh: $folder is no folder" >&2; exit 2; }
folder=$(cd "$folder" && pwd)

hdgr_install_dependencies
echo "== Native tools ($HDGR_NATIVE)"
cmake -S "$HDGR_ROOT" --preset native -B "$HDGR_NATIVE" >/dev/null
cmake --build "$HDGR_NATIVE" -j "$HDGR_JOBS" --target hdgr-pack hdgr-icon hdgr-pe >/dev/null
out=$HDGR_BUILD/package-$version
echo "== The package of $folder, version $version ($out)"
# The build checks the version and the files, and says what is wrong.
cmake -S "$HDGR_ROOT" --preset win64 -B "$out" -DHDGR_HOST_TOOLS_DIR="$HDGR_NATIVE/bin" \
  -DHDGR_PAYLOAD_DIR="$folder" -DHDGR_PACKAGE_VERSION="$version" >/dev/null
cmake --build "$out" -j "$HDGR_JOBS" --target hdgr_setup >/dev/null

lengths=$(for name in Setup.exe HaldenGrid.CAB Setup.LST HaldenGrid.exe; do stat -c %s "$folder/$name"; done | paste -sd,)
"$HDGR_NATIVE/bin/hdgr-pack" check "$out/demo_payload/carrier.bmp" --lengths "$lengths"
IFS=. read -r major minor _ <<<"$version"
echo "== $out/app/hdGR_${major}_${minor}_Setup.exe"
