#!/usr/bin/env bash
# Builds the setup package's NSIS peers from the same four files with makensis (silent,
# uncompressed and zlib; and with a license page of the same terms, zlib), then runs the peer
# benchmark under Wine in the prefix the caller set up.
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
# The terms as the setup window shows them, from the one place they are written.
terms=$out/terms.txt
sed -n '/kTermsText =/,/;$/p' "$here/../../setup_window/design.h" | grep -o '"[^"]*"' |
  sed 's/^"//; s/\\r\\n"$//; s/"$//' | sed 's/$/\r/' >"$terms"
[ "$(wc -l <"$terms")" -eq 7 ] || { echo "the terms were not found in setup_window/design.h" >&2; exit 2; }
makensis -V1 -DOUT_FILE="$out/peer_license.exe" -DTERMS="$terms" -DSETUP_EXE="$setup_exe" -DCABINET="$cabinet" \
  -DLIST="$list" -DPRODUCT_EXE="$product" "$here/peer_license.nsi"
# One wineserver for every round, so no run pays for starting it; ended with the bench, or
# Wine's own processes would hold the caller's output open for good.
wineserver -p </dev/null >/dev/null 2>&1
status=0
wine64 "$bench" "$ours" "$out/peer_none.exe" "$out/peer_zlib.exe" "$out/peer_license.exe" "$trivial" || status=$?
wineserver -k
exit $status
