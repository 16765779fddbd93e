#!/usr/bin/env bash
# The package loads on every Windows it declares: Windows 8 and later (subsystem and OS
# version 6.2), with no static import that Windows 8 lacks, and it says it is aware of
# terminal servers.
#   windows_version_test.sh PACKAGE NEWER_FUNCTIONS    (OBJDUMP: the MinGW-w64 objdump)
set -euo pipefail
package=$1 newer=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

headers=$("$OBJDUMP" -p "$package")
field() { awk -v name="$1" '$1 == name { print $2 }' <<<"$headers"; }
[ "$(field MajorSubsystemVersion).$(field MinorSubsystemVersion)" = "6.2" ] ||
  fail "subsystem version $(field MajorSubsystemVersion).$(field MinorSubsystemVersion), not 6.2"
[ "$(field MajorOSystemVersion).$(field MinorOSystemVersion)" = "6.2" ] ||
  fail "OS version $(field MajorOSystemVersion).$(field MinorOSystemVersion), not 6.2"
(( 0x$(field DllCharacteristics) & 0x8000 )) || fail "not terminal-server aware (DllCharacteristics $(field DllCharacteristics))"

# The import table's names: "<hint> <name>" lines under each "DLL Name:".
imports=$(awk '/DLL Name:/ { dll = $3 } dll && /^\t[0-9a-f]+[ \t]+[0-9]+ +[A-Za-z_]/ { print $3 }' <<<"$headers" | sort -u)
[ -n "$imports" ] || fail "no imports read from $package"
found=$(grep -v '^#' "$newer" | grep -Fxf - <<<"$imports" || true)
[ -z "$found" ] || fail "imports newer than Windows 8: $(tr '\n' ' ' <<<"$found")"
grep -qi 'DLL Name: shcore.dll' <<<"$headers" && fail "imports shcore.dll, which Windows 8 lacks"
echo "Windows 8 and later: subsystem 6.2, terminal-server aware, $(wc -l <<<"$imports") imports all in Windows 8"
