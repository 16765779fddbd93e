#!/usr/bin/env bash
# Builds the package twice, from two fresh clones of the current commit in two folders of
# different names, and compares the two packages (hdGR_3_4_Setup.exe by default) byte for
# byte. Exits 1 naming the first differing offset and the PE section it lies in.
#   scripts/check-reproducible.sh [WORK_DIR]    (default: a new folder under /tmp, removed after)
# HDGR_PAYLOAD_DIR and HDGR_PACKAGE_VERSION, when set, make the package of those files and
# that version. Uncommitted changes are not part of the check: it builds what is committed.
set -euo pipefail
source "$(dirname "$0")/common.sh"

hdgr_install_dependencies
unset "${!HDGR_SIGN_@}"  # a signature's time stamp differs at each signing: compare the unsigned packages
commit=$(git -C "$HDGR_ROOT" rev-parse HEAD)
[ -z "$(git -C "$HDGR_ROOT" status --porcelain --untracked-files=no)" ] ||
  echo "== Note: uncommitted changes are not checked, only commit $commit"

work=${1:-}
if [ -z "$work" ]; then
  work=$(mktemp -d /tmp/hdgr-reproducible.XXXXXX)
  trap 'rm -rf "$work"' EXIT
fi
version=${HDGR_PACKAGE_VERSION:-3.4.0}
IFS=. read -r major minor _ <<<"$version"
package_path=app/hdGR_${major}_${minor}_Setup.exe

# build FOLDER: a clone of the commit in FOLDER/src, built in FOLDER/src/build.
build() {
  local folder=$1
  rm -rf "$folder"
  git clone --quiet --no-checkout "$HDGR_ROOT" "$folder/src"
  git -C "$folder/src" checkout --quiet --detach "$commit"
  local native=$folder/src/build/native win64=$folder/src/build/win64
  cmake -S "$folder/src" --preset native -B "$native" >/dev/null
  cmake --build "$native" -j "$HDGR_JOBS" --target hdgr-pack hdgr-icon hdgr-pe >/dev/null
  cmake -S "$folder/src" --preset win64 -B "$win64" \
    -DHDGR_HOST_TOOLS_DIR="$native/bin" -DHDGR_PAYLOAD_DIR="${HDGR_PAYLOAD_DIR:-}" \
    -DHDGR_PACKAGE_VERSION="${HDGR_PACKAGE_VERSION:-}" >/dev/null
  cmake --build "$win64" -j "$HDGR_JOBS" --target hdgr_setup >/dev/null
}

# The PE section (or the headers) holding file offset $2 of $1.
section_at() {
  local idx name size vma lma off rest first=""
  while read -r idx name size vma lma off rest; do
    [[ $idx =~ ^[0-9]+$ && -n $off ]] || continue
    (( 16#$off == 0 )) && continue  # no bytes in the file (.bss)
    if (( $2 >= 16#$off && $2 < 16#$off + 16#$size )); then echo "$name"; return; fi
    [[ -z $first ]] || (( 16#$off < first )) && first=$((16#$off))
  done < <(x86_64-w64-mingw32-objdump -h "$1")
  if [[ -n $first ]] && (( $2 < first )); then echo "the headers"; else echo "no section (trailing data)"; fi
}

start=$(date +%s)
echo "== Building commit $commit in $work/first and $work/second-copy"
build "$work/first"
build "$work/second-copy"
a=$work/first/src/build/win64/$package_path
b=$work/second-copy/src/build/win64/$package_path
elapsed=$(( $(date +%s) - start ))

if difference=$(cmp "$a" "$b"); then
  echo "== Reproducible: both packages are $(stat -c %s "$a") bytes, SHA-256 $(sha256sum "$a" | cut -d' ' -f1) (${elapsed} s)"
  exit 0
fi
# cmp names the first differing byte, counted from 1, or the shorter file's end.
byte=$(sed -n 's/.* differ: byte \([0-9]*\),.*/\1/p' <<<"$difference")
if [ -z "$byte" ]; then
  echo "== Not reproducible: the packages differ in length ($(stat -c %s "$a") and $(stat -c %s "$b") bytes)" >&2
  exit 1
fi
offset=$((byte - 1))
printf '== Not reproducible: first difference at offset %d (0x%x), in %s; %d bytes differ (%d s)\n' \
  "$offset" "$offset" "$(section_at "$a" "$offset")" "$(cmp -l "$a" "$b" | wc -l)" "$elapsed" >&2
exit 1
