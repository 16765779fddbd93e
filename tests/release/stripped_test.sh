#!/usr/bin/env bash
# The shipped program carries no debug sections and no symbol table; its symbols lie in
# the file its debug link names, beside it.
#   stripped_test.sh PACKAGE SYMBOLS    (OBJDUMP, OBJCOPY, NM: the MinGW-w64 binutils)
set -euo pipefail
package=$1 symbols=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

sections=$("$OBJDUMP" -h "$package")
grep -q ' \.debug' <<<"$sections" && fail "debug sections in $package: $(grep -o '\.debug[a-z_]*' <<<"$sections" | tr '\n' ' ')"
[ -z "$("$NM" "$package" 2>/dev/null)" ] || fail "$package still has a symbol table"

[ -s "$symbols" ] || fail "no symbols file $symbols"
grep -q ' [Tt] hdgr::RunSetupProgram()$' <<<"$("$NM" -C "$symbols")" || fail "$symbols lacks the program's own symbols"
link=$(mktemp)
trap 'rm -f "$link"' EXIT
"$OBJCOPY" --dump-section .gnu_debuglink="$link" "$package" 2>/dev/null || fail "$package has no debug link"
IFS= read -r -d '' named <"$link" || true  # the file name, up to its NUL
[ "$named" = "$(basename "$symbols")" ] || fail "the debug link names $named, not $(basename "$symbols")"
echo "stripped: $(stat -c %s "$package") bytes; symbols: $(basename "$symbols"), $(stat -c %s "$symbols") bytes"
