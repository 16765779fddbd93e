#!/usr/bin/env bash
# Signs a setup package with a publisher's code-signing certificate (Authenticode, SHA-256),
# then verifies the signature; with no certificate given it does nothing and says so.
#   scripts/sign-package.sh PACKAGE [SIGNED_PACKAGE]      (default: signs PACKAGE in place)
# The certificate, from the environment:
#   HDGR_SIGN_PKCS12=publisher.p12                         a PKCS#12 file, or
#   HDGR_SIGN_CERT=certs.pem HDGR_SIGN_KEY=key.pem          PEM certificate (chain) and key
#   HDGR_SIGN_PASSWORD or HDGR_SIGN_PASSWORD_FILE          the PKCS#12's or the key's password
#   HDGR_SIGN_TIMESTAMP_URL=http://...                     an RFC 3161 time-stamping server
#   HDGR_SIGN_CAFILE=roots.pem                             roots to verify against (default: the system's)
set -euo pipefail
in=${1:?usage: sign-package.sh PACKAGE [SIGNED_PACKAGE]}
out=${2:-$in}

if [ -n "${HDGR_SIGN_PKCS12:-}" ]; then
  credentials=(-pkcs12 "$HDGR_SIGN_PKCS12")
elif [ -n "${HDGR_SIGN_CERT:-}" ] && [ -n "${HDGR_SIGN_KEY:-}" ]; then
  credentials=(-certs "$HDGR_SIGN_CERT" -key "$HDGR_SIGN_KEY")
elif [ -n "${HDGR_SIGN_CERT:-}${HDGR_SIGN_KEY:-}" ]; then
  echo "sign-package.sh: HDGR_SIGN_CERT and HDGR_SIGN_KEY go together" >&2
  exit 2
else
  echo "sign-package.sh: no certificate given (HDGR_SIGN_PKCS12, or HDGR_SIGN_CERT and HDGR_SIGN_KEY): $(basename "$in") stays unsigned"
  exit 0
fi
command -v osslsigncode >/dev/null || { echo "sign-package.sh: osslsigncode is missing (apt-get install osslsigncode)" >&2; exit 2; }

# The password travels through a file descriptor, never on a command line that ps shows.
if [ -n "${HDGR_SIGN_PASSWORD_FILE:-}" ]; then
  credentials+=(-readpass "$HDGR_SIGN_PASSWORD_FILE")
elif [ -n "${HDGR_SIGN_PASSWORD+set}" ]; then
  exec {password_fd}< <(printf '%s' "$HDGR_SIGN_PASSWORD")
  credentials+=(-readpass "/dev/fd/$password_fd")
fi
timestamp=()
[ -n "${HDGR_SIGN_TIMESTAMP_URL:-}" ] && timestamp=(-ts "$HDGR_SIGN_TIMESTAMP_URL")
roots=()
[ -n "${HDGR_SIGN_CAFILE:-}" ] && roots=(-CAfile "$HDGR_SIGN_CAFILE")

# osslsigncode writes only a new file; the package is replaced once the signature verifies.
work=$(mktemp -d "$(dirname "$out")/.signing.XXXXXX")
trap 'rm -rf "$work"' EXIT
signed=$work/$(basename "$out")
if ! osslsigncode sign "${credentials[@]}" -h sha256 -n "Halden Grid Setup" "${timestamp[@]}" \
  -in "$in" -out "$signed" >/dev/null; then
  echo "sign-package.sh: osslsigncode could not sign $in; nothing written to $out" >&2
  exit 1
fi
if ! report=$(osslsigncode verify "${roots[@]}" -in "$signed" 2>&1); then
  echo "$report" >&2
  echo "sign-package.sh: the signed package does not verify; nothing written to $out" >&2
  exit 1
fi
chmod --reference="$in" "$signed"
mv -f "$signed" "$out"
echo "sign-package.sh: signed and verified $out"
