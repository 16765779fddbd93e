#!/usr/bin/env bash
# Builds the setup package's NSIS peer from the same four files (uncompressed and zlib)
# with makensis, then runs the peer benchmark under Wine in the prefix the caller set up.
#   peer_bench.sh OUT_DIR BENCH_EXE SETUP_EXE TRIVIAL_EXE SETUP.EXE HALDENGRID.CAB SETUP.LST HALDENGRID.EXE
set -euo pipefail
out=$1 bench=$2 ours=$3 trivial=$4
setup_exe=$5 cabinet=$6 list=$7 product=$8
here=$(cd "$(dirname "$0")" && pwd)

if ! command -v makensis >/dev/null; then
  echo "makensis is missing: scripts/bench.sh installs it (Debian package nsis)" >&2
  exit 2
fi
mkdir -p "$out"
for compression in none zlib; do
  makensis -V1 -DOUT_FILE="$out/peer_$compression.exe" -DCOMPRESSION=$compression -DSETUP_EXE="$setup_exe" \
    -DCABINET="$cabinet" -DLIST="$list" -DPRODUCT_EXE="$product" "$here/peer_package.nsi"
done
# One wineserver for every round, so no run pays for starting it; ended with the bench, or
# Wine's own processes would hold the caller's output open for good.
wineserver -p </dev/null >/dev/null 2>&1
status=0
wine64 "$bench" "$ours" "$out/peer_none.exe" "$out/peer_zlib.exe" "$trivial" || status=$?
wineserver -k
exit $status
