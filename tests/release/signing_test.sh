#!/usr/bin/env bash
# Signing on Linux with scripts/sign-package.sh and a throw-away code-signing certificate
# made here: as PEM files and as a PKCS#12 with a password, the signed copy verifies
# against that certificate and carries the packed carrier byte for byte; one changed
# carrier byte fails verification; a wrong password or no certificate writes nothing.
# The PKCS#12-signed copy stays at SIGNED for the end-to-end test that installs from it.
#   signing_test.sh PACKAGE CARRIER SIGNED
set -euo pipefail
package=$1 carrier=$2 signed=$3
sign=$(cd "$(dirname "$0")/../.." && pwd)/scripts/sign-package.sh
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in openssl osslsigncode; do
  command -v $tool >/dev/null || fail "$tool is missing (scripts/test.sh installs it: apt-get install $tool)"
done

work=$(dirname "$signed")/work  # in the build tree; nothing of it is kept in the sources
rm -rf "$work" "$signed"
mkdir -p "$work"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Halden Grid throw-away publisher" \
  -addext extendedKeyUsage=codeSigning -addext keyUsage=critical,digitalSignature \
  -addext basicConstraints=critical,CA:FALSE -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
export HDGR_TEST_PASSWORD="throw away $RANDOM"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/publisher.p12" \
  -passout env:HDGR_TEST_PASSWORD
unset "${!HDGR_SIGN_@}"  # only what each case below gives
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >/dev/null 2>&1; }

# Where the carrier lies in a program: the offset of its first 32 bytes.
carrier_offset() {
  LC_ALL=C grep -obUaP "$(od -An -tx1 -N 32 "$carrier" | tr -d ' \n' | sed 's/../\\x&/g')" "$1" | cut -d: -f1
}
unsigned_at=$(carrier_offset "$package")
[ -n "$unsigned_at" ] || fail "no carrier found in $package"

HDGR_SIGN_CERT=$work/cert.pem HDGR_SIGN_KEY=$work/key.pem HDGR_SIGN_CAFILE=$work/cert.pem \
  "$sign" "$package" "$work/pem-signed.exe"
mkdir -p "$(dirname "$signed")"
HDGR_SIGN_PKCS12=$work/publisher.p12 HDGR_SIGN_PASSWORD=$HDGR_TEST_PASSWORD HDGR_SIGN_CAFILE=$work/cert.pem \
  "$sign" "$package" "$signed"
for copy in "$work/pem-signed.exe" "$signed"; do
  verify "$copy" || fail "$copy does not verify"
  [ "$(carrier_offset "$copy")" = "$unsigned_at" ] || fail "the carrier moved in $copy"
  cmp -s -i "$unsigned_at:0" -n "$(stat -c %s "$carrier")" "$copy" "$carrier" || fail "the carrier changed in $copy"
  cmp -s -n "$(stat -c %s "$package")" "$copy" "$package" && fail "$copy is the unsigned package"
done

# One changed carrier byte, in the middle of the packed files.
cp "$signed" "$work/tampered.exe"
at=$((unsigned_at + $(stat -c %s "$carrier") / 2))
byte=$(od -An -tu1 -j "$at" -N 1 "$signed" | tr -d ' ')
printf "\\x$(printf %02x $((255 - byte)))" | dd of="$work/tampered.exe" bs=1 seek="$at" conv=notrunc status=none
verify "$work/tampered.exe" && fail "a changed carrier byte still verifies"

# A wrong password, and no certificate at all: nothing is written, nothing changes.
HDGR_SIGN_PKCS12=$work/publisher.p12 HDGR_SIGN_PASSWORD=wrong "$sign" "$package" "$work/wrong.exe" 2>/dev/null &&
  fail "a wrong password signed"
[ ! -e "$work/wrong.exe" ] || fail "a wrong password wrote $work/wrong.exe"
cp "$package" "$work/in-place.exe"
"$sign" "$work/in-place.exe" >/dev/null
cmp -s "$work/in-place.exe" "$package" || fail "without a certificate the package changed"
echo "signed: $(stat -c %s "$signed") bytes, verified; one changed carrier byte fails verification"
