#!/usr/bin/env bash
# Usage: round_trip.sh HDGR_PACK WORK_DIR
# Builds a carrier from random files of the demo payload's lengths and from files of other
# lengths that need a taller carrier, checks and unpacks both, and makes sure every refusal
# is one line, exit code 2, and leaves no file behind.
set -euo pipefail
pack=$1
work=$2
rm -rf "$work"
mkdir -p "$work/in"
cd "$work"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

names=(Setup.exe HaldenGrid.CAB Setup.LST HaldenGrid.exe)
lengths=(148336 2670171 9266 1810432)
for i in 0 1 2 3; do head -c "${lengths[$i]}" /dev/urandom >"in/${names[$i]}"; done
inputs=(in/Setup.exe in/HaldenGrid.CAB in/Setup.LST in/HaldenGrid.exe)

# Runs hdgr-pack expecting success.
ok() {
  if ! "$pack" "$@" >out.txt 2>err.txt; then fail "hdgr-pack $*: $(cat err.txt)"; return 1; fi
  [ -s err.txt ] && fail "hdgr-pack $*: wrote to stderr: $(cat err.txt)"
  return 0
}

# Runs hdgr-pack expecting a refusal: exit code 2, one line on stderr holding every
# given text, nothing on stdout unless partly_done is set.
partly_done=
refused() {
  local -a expect=()
  while [ "$1" != -- ]; do expect+=("$1"); shift; done
  shift
  local code=0
  "$pack" "$@" >out.txt 2>err.txt || code=$?
  [ "$code" -eq 2 ] || fail "hdgr-pack $*: exit code $code, expected 2"
  [ "$(wc -l <err.txt)" -eq 1 ] || fail "hdgr-pack $*: stderr is not one line: $(cat err.txt)"
  [ -s out.txt ] && [ -z "$partly_done" ] && fail "hdgr-pack $*: wrote to stdout"
  local text
  for text in "${expect[@]}"; do
    grep -qF -- "$text" err.txt || fail "hdgr-pack $*: '$text' missing from: $(cat err.txt)"
  done
}

# Only the expected files may be in the working folder (no temporary leftovers).
only_files() {
  local actual
  actual=$(find . -maxdepth 1 -type f ! -name out.txt ! -name err.txt -printf '%f\n' | sort | paste -sd' ')
  [ "$actual" = "$*" ] || fail "files left: '$actual', expected '$*'"
}

# --- Round trip ---
ok build --out carrier.bmp "${inputs[@]}" --digests-source digests.cpp
[ "$(stat -c %s carrier.bmp)" -eq 6000054 ] || fail "carrier is $(stat -c %s carrier.bmp) bytes"
[ "$(head -c 2 carrier.bmp)" = BM ] || fail "carrier does not start with BM"
# Setup.exe's first byte is the carrier byte at L - 10 (1-based), i.e. 11th from the end.
[ "$(tail -c 11 carrier.bmp | head -c 1 | od -An -tx1)" = "$(head -c 1 in/Setup.exe | od -An -tx1)" ] ||
  fail "Setup.exe's first byte is not at L - 10"
ok check carrier.bmp
for i in 0 1 2 3; do
  digest=$(sha256sum "${inputs[$i]}" | cut -d' ' -f1)
  grep -q "^${names[$i]} .*sha256 $digest\$" out.txt || fail "check does not list ${names[$i]} with $digest"
  grep -q "$digest" digests.cpp || fail "digests.cpp lacks ${names[$i]}'s digest"
  digest_bytes=$(echo "$digest" | sed 's/../0x&, /g; s/, $//')
  tr -d '\n ' <digests.cpp | grep -qF "$(echo "$digest_bytes" | tr -d ' ')" ||
    fail "digests.cpp lacks ${names[$i]}'s bytes"
done
ok unpack carrier.bmp unpacked/deeper
for name in "${names[@]}"; do
  cmp -s "in/$name" "unpacked/deeper/$name" || fail "unpacked $name differs"
done
[ "$(find unpacked/deeper -type f | wc -l)" -eq 4 ] || fail "unpack left extra files"

# An unchanged digests source is left alone, so the build does not relink for nothing.
inode=$(stat -c %i digests.cpp)
ok build --out carrier.bmp "${inputs[@]}" --digests-source digests.cpp
[ "$(stat -c %i digests.cpp)" = "$inode" ] || fail "an unchanged digests source was rewritten"
only_files carrier.bmp digests.cpp

# Files of other lengths: the carrier has the rows they need, check and unpack take the
# table with --lengths, and the demo payload's table does not fit that carrier.
mkdir -p tall
tall_lengths=(70001 7000000 3 123457)
for i in 0 1 2 3; do head -c "${tall_lengths[$i]}" /dev/urandom >"tall/${names[$i]}"; done
tall_inputs=(tall/Setup.exe tall/HaldenGrid.CAB tall/Setup.LST tall/HaldenGrid.exe)
table=$(IFS=,; echo "${tall_lengths[*]}")
ok build --out tall.bmp "${tall_inputs[@]}" --digests-source tall.cpp
# 7,193,461 bytes and the unused 10 need 2398 rows of 3000 bytes.
[ "$(stat -c %s tall.bmp)" -eq $((54 + 2398 * 3000)) ] || fail "tall carrier is $(stat -c %s tall.bmp) bytes"
grep -q "tall.bmp written: 7194054 bytes, 1000 x 2398 24-bit bitmap" out.txt || fail "build reports: $(cat out.txt)"
[ "$(tail -c 11 tall.bmp | head -c 1 | od -An -tx1)" = "$(head -c 1 tall/Setup.exe | od -An -tx1)" ] ||
  fail "the tall carrier's Setup.exe does not start at L - 10"
grep -q "static_assert(kSegments\[1\].length == 7000000," tall.cpp || fail "tall.cpp does not pin the table"
ok check tall.bmp --lengths "$table"
grep -q "1000 x 2398" out.txt || fail "check reports: $(cat out.txt)"
ok unpack tall.bmp tall-unpacked --lengths "$table"
for name in "${names[@]}"; do
  cmp -s "tall/$name" "tall-unpacked/$name" || fail "unpacked tall $name differs"
done
refused "wrong size" "1000 x 2000" -- check tall.bmp
refused "wrong size" "1000 x 2000" -- check tall.bmp --lengths 148336,2670171,9266,1810432
for bad in 1,2,3 1,2,3,4,5 1,2,x,4 1,2,0,4 1,2,3,99999999999 ""; do
  refused "--lengths" -- check tall.bmp --lengths "$bad"
done
rm -rf tall tall-unpacked tall.bmp tall.cpp

# Padding to any length keeps the program's bytes and adds zeros.
printf 'MZ-program' >program.bin
ok pad --length 100 program.bin padded.bin
[ "$(stat -c %s padded.bin)" -eq 100 ] && [ "$(head -c 10 padded.bin)" = MZ-program ] ||
  fail "pad --length 100 gave $(stat -c %s padded.bin) bytes"
refused "longer than the 5 bytes" -- pad --length 5 program.bin padded.bin
refused "one of them" -- pad --length 100 --segment Setup.exe program.bin padded.bin
refused "one of them" -- pad program.bin padded.bin
refused "--length takes" -- pad --length -3 program.bin padded.bin
rm -f program.bin padded.bin

# The build learns the names from this listing, the demo payload's lengths beside them.
ok segments
expected=$(for i in 0 1 2 3; do echo "${names[$i]} ${lengths[$i]}"; done)
[ "$(cat out.txt)" = "$expected" ] || fail "segments lists: $(cat out.txt)"

# --- Refusals: old outputs stay as they were, no new file appears ---
cp carrier.bmp old.bmp
echo old >digests.cpp
: >empty.LST
refused empty.LST "Setup.LST is empty" -- \
  build --out carrier.bmp in/Setup.exe in/HaldenGrid.CAB empty.LST in/HaldenGrid.exe --digests-source digests.cpp
refused "in/missing.exe" "no such file" -- \
  build --out carrier.bmp in/missing.exe in/HaldenGrid.CAB in/Setup.LST in/HaldenGrid.exe
refused "--bogus" -- build --out carrier.bmp "${inputs[@]}" --bogus x
refused "--out" -- build "${inputs[@]}"
refused "four payload files" -- build --out carrier.bmp in/Setup.exe
refused "unknown command" -- frobnicate
refused "no command" --
refused "not a bitmap" -- build --out carrier.bmp "${inputs[@]}" --cover in/Setup.LST
refused "no-such-dir" -- build --out no-such-dir/carrier.bmp "${inputs[@]}"
# Padding is for the two programs: a data file is never written zero-filled.
for name in Setup.LST HaldenGrid.CAB; do
  refused "$name" "no program" -- pad --segment "$name" "in/$name" padded.bin
done
cmp -s carrier.bmp old.bmp || fail "a refused build changed the old carrier"
[ "$(cat digests.cpp)" = old ] || fail "a refused build changed the old digests source"
only_files carrier.bmp digests.cpp empty.LST old.bmp

head -c 6000053 old.bmp >short.bmp
cat old.bmp <(printf x) >long.bmp
{ printf 'XX'; head -c 6000052 /dev/urandom; } >noise.bmp
for carrier in short.bmp long.bmp; do
  refused "$carrier" "wrong size" -- check "$carrier"
  refused "$carrier" "wrong size" -- unpack "$carrier" refused-dir
done
refused "noise.bmp" "not a bitmap" -- check noise.bmp
refused "noise.bmp" "not a bitmap" -- unpack noise.bmp refused-dir
refused "absent.bmp" "no such file" -- check absent.bmp
refused "takes one carrier" -- check old.bmp extra
refused "takes no arguments" -- segments extra
[ -e refused-dir ] && fail "a refused unpack made its folder"
# A folder in the way of one output: the files before it are written whole and
# reported, none partly, and nothing after it.
mkdir -p blocked/Setup.LST
partly_done=1 refused "Setup.LST" -- unpack old.bmp blocked
[ "$(find blocked -type f -printf '%f\n' | sort | paste -sd' ')" = "HaldenGrid.CAB Setup.exe" ] ||
  fail "a failed unpack left: $(find blocked -type f -printf '%f ')"
cmp -s in/Setup.exe blocked/Setup.exe || fail "Setup.exe unpacked before the failure differs"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "hdgr-pack round trip and refusals: all passed"
