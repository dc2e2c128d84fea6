#!/bin/sh
# Signs Windows files in place (programs, installers, MSI packages) with Authenticode, using
# osslsigncode, when the build is given a code-signing certificate and its private key:
#   VELTRIX_SIGN_CERT  the certificate, followed by any intermediate certificates (PEM or DER)
#   VELTRIX_SIGN_KEY   its private key, unencrypted (PEM or DER)
# Without either it leaves the files as they are. With only one it fails, so that a release meant
# to be signed cannot come out unsigned.
#
# Usage: sign.sh FILE...
set -eu

if [ -z "${VELTRIX_SIGN_CERT:-}${VELTRIX_SIGN_KEY:-}" ]; then
  exit 0
fi
if [ -z "${VELTRIX_SIGN_CERT:-}" ] || [ -z "${VELTRIX_SIGN_KEY:-}" ]; then
  echo "sign.sh: VELTRIX_SIGN_CERT and VELTRIX_SIGN_KEY must be set together" >&2
  exit 1
fi

for file in "$@"; do
  # The signing time is the release date's when the packaging gives one, so that signing with
  # the same key gives the same bytes build after build. Windows checks an untimestamped
  # signature against the present time, never against this one.
  osslsigncode sign -certs "$VELTRIX_SIGN_CERT" -key "$VELTRIX_SIGN_KEY" -h sha256 -n Veltrix \
    ${SOURCE_DATE_EPOCH:+-time "$SOURCE_DATE_EPOCH"} -in "$file" -out "$file.signed" >/dev/null
  # Written back into the same file, which keeps its mode (Veltrix.exe is executable in the zip).
  cat "$file.signed" >"$file"
  rm "$file.signed"
done
