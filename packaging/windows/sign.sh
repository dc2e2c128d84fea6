#!/bin/sh
# Signs Windows files in place (programs, installers, MSI packages) with Authenticode, using
# osslsigncode, when the build is given a code-signing certificate and its private key:
#   VELTRIX_SIGN_CERT            the certificate, followed by any intermediate certificates (PEM or DER)
#   VELTRIX_SIGN_KEY             its private key: an unencrypted key file (PEM or DER), or, with
#                                VELTRIX_SIGN_PKCS11_MODULE, the key's PKCS#11 URI on a hardware
#                                token or HSM ("pkcs11:token=...;object=...;pin-value=...")
#   VELTRIX_SIGN_PKCS11_MODULE   the token's PKCS#11 module (a .so file)
#   VELTRIX_SIGN_PKCS11_ENGINE   optional: the OpenSSL PKCS#11 engine, if not the system's own
#   VELTRIX_SIGN_TIMESTAMP_URL   optional: an RFC 3161 time-stamping server
# Without the certificate and the key it leaves the files as they are. With only one of them, or
# an engine without a module, it fails, so that a release meant to be signed cannot come out
# unsigned.
#
# Usage: sign.sh FILE...
set -eu

if [ -z "${VELTRIX_SIGN_CERT:-}${VELTRIX_SIGN_KEY:-}${VELTRIX_SIGN_PKCS11_MODULE:-}${VELTRIX_SIGN_PKCS11_ENGINE:-}" ]; then
  exit 0
fi
if [ -z "${VELTRIX_SIGN_CERT:-}" ] || [ -z "${VELTRIX_SIGN_KEY:-}" ]; then
  echo "sign.sh: VELTRIX_SIGN_CERT and VELTRIX_SIGN_KEY must be set together" >&2
  exit 1
fi
if [ -n "${VELTRIX_SIGN_PKCS11_ENGINE:-}" ] && [ -z "${VELTRIX_SIGN_PKCS11_MODULE:-}" ]; then
  echo "sign.sh: VELTRIX_SIGN_PKCS11_ENGINE needs VELTRIX_SIGN_PKCS11_MODULE" >&2
  exit 1
fi

# Arguments: the options for the signing time.
sign_file() {
  osslsigncode sign -certs "$VELTRIX_SIGN_CERT" -key "$VELTRIX_SIGN_KEY" \
    ${VELTRIX_SIGN_PKCS11_MODULE:+-pkcs11module "$VELTRIX_SIGN_PKCS11_MODULE"} \
    ${VELTRIX_SIGN_PKCS11_ENGINE:+-pkcs11engine "$VELTRIX_SIGN_PKCS11_ENGINE"} \
    -h sha256 -n Veltrix "$@" -in "$file" -out "$file.signed" >/dev/null
  # Written back into the same file, which keeps its mode (Veltrix.exe is executable in the zip).
  cat "$file.signed" >"$file"
  rm "$file.signed"
}

for file in "$@"; do
  # A time-stamped signature stays valid after the certificate expires, and carries the server's
  # time. Without one, the signing time is the release date's when the packaging gives one, so
  # that signing with the same key gives the same bytes build after build; Windows then checks
  # the signature against the present time, never against this one.
  if [ -n "${VELTRIX_SIGN_TIMESTAMP_URL:-}" ]; then
    sign_file -ts "$VELTRIX_SIGN_TIMESTAMP_URL"
  else
    sign_file ${SOURCE_DATE_EPOCH:+-time "$SOURCE_DATE_EPOCH"}
  fi
done
