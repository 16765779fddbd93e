#!/bin/sh
# imports.sh HDGR_PE PACKAGE: fails on any imported DLL that Windows may take from the
# package's own folder, and on a load configuration that does not ask for System32.
set -eu
pe=$1
package=$2
# Known DLLs: Windows loads them from System32 whatever the search order says.
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll msvcrt.dll"
status=0
for dll in $("$pe" imports "$package"); do
  case " $allowed " in
    *" $dll "*) ;;
    *) echo "imports $dll, which Windows may load from the folder the package runs in"; status=1 ;;
  esac
done
flags=$("$pe" load-flags "$package")
if [ "$flags" != 0x800 ]; then
  echo "load configuration's DependentLoadFlags: $flags, not 0x800 (System32 only)"
  status=1
fi
[ $status -eq 0 ] && echo "imports: $("$pe" imports "$package" | tr '\n' ' ')load flags $flags"
exit $status
