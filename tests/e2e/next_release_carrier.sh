#!/usr/bin/env bash
# A next release's carrier, as hdgr-pack check reads it with the table of the files it
# packed, against what the files themselves say: the rows are the fewest of 3000 bytes that
# hold the four files and the unused 10 bytes, never fewer than 2000; each file's digest is
# the file's own; unpacked, each file is the file.
#   next_release_carrier.sh HDGR_PACK CARRIER Setup.exe HaldenGrid.CAB Setup.LST HaldenGrid.exe
set -euo pipefail
pack=$1 carrier=$2
shift 2
fail() { echo "FAIL: $*" >&2; exit 1; }

lengths=() total=0
for file in "$@"; do
  lengths+=("$(stat -c %s "$file")")
  total=$((total + ${lengths[-1]}))
done
rows=$(( (total + 10 + 2999) / 3000 ))
(( rows < 2000 )) && rows=2000
size=$((54 + rows * 3000))
[ "$(stat -c %s "$carrier")" -eq "$size" ] || fail "$carrier is $(stat -c %s "$carrier") bytes, the files need $size"

table=$(IFS=,; echo "${lengths[*]}")
report=$("$pack" check "$carrier" --lengths "$table")
grep -qF "$carrier: $size bytes, 1000 x $rows 24-bit bitmap" <<<"$report" || fail "check reports: $report"
start=$((size - 10))
for file in "$@"; do
  name=$(basename "$file")
  length=$(stat -c %s "$file")
  line=$(grep "^$name " <<<"$report") || fail "check lists no $name"
  read -r _ _ listed_length _ listed_start _ listed_end _ digest <<<"$line"
  [ "$listed_length" -eq "$length" ] && [ "$listed_start" -eq "$start" ] && [ "$listed_end" -eq $((start - length + 1)) ] ||
    fail "$name: check says $line, the files say start $start, length $length"
  [ "$digest" = "$(sha256sum "$file" | cut -d' ' -f1)" ] || fail "$name: the carrier holds other bytes"
  start=$((start - length))
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$pack" unpack "$carrier" "$work" --lengths "$table" >/dev/null
for file in "$@"; do cmp -s "$file" "$work/$(basename "$file")" || fail "$(basename "$file") unpacks otherwise"; done
echo "$carrier: 1000 x $rows, $total payload bytes, each file at its place"
