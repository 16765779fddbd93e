#!/bin/sh
# imports.sh HDGR_PE PACKAGE FORWARDED: fails on any imported DLL that Windows may take from
# the package's own folder, on an imported function listed in FORWARDED (one a Known DLL
# forwards to a DLL that is not known; read with OBJDUMP, the MinGW-w64 objdump), and on a
# load configuration that does not ask for System32.
set -eu
pe=$1
package=$2
forwarded=$3
# Known DLLs: Windows loads them from System32 whatever the search order says.
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll msvcrt.dll"
status=0
for dll in $("$pe" imports "$package"); do
  case " $allowed " in
    *" $dll "*) ;;
    *) echo "imports $dll, which Windows may load from the folder the package runs in"; status=1 ;;
  esac
done
# The import table's names: "<hint> <name>" lines under each "DLL Name:".
names=$("$OBJDUMP" -p "$package" |
  awk '/DLL Name:/ { dll = $3 } dll && /^\t[0-9a-f]+[ \t]+[0-9]+ +[A-Za-z_]/ { print $3 }' | sort -u)
if [ -z "$names" ]; then
  echo "no imported functions read from $package"
  exit 1
fi
for name in $(grep -v '^#' "$forwarded"); do
  if printf '%s\n' "$names" | grep -qFx "$name"; then
    echo "imports $name, which Windows forwards to a DLL it may load from the folder the package runs in"
    status=1
  fi
done
flags=$("$pe" load-flags "$package")
if [ "$flags" != 0x800 ]; then
  echo "load configuration's DependentLoadFlags: $flags, not 0x800 (System32 only)"
  status=1
fi
[ $status -eq 0 ] && echo "imports: $("$pe" imports "$package" | tr '\n' ' ')($(printf '%s\n' "$names" | wc -l) functions), load flags $flags"
exit $status
