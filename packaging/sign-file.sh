#!/usr/bin/env bash
# sign-file.sh FILE: gives a Windows program an Authenticode SHA-256 signature, in place.
#   VELLUMIR_SIGNING_PFX       the PKCS#12 file holding the key and its certificate
#   VELLUMIR_SIGNING_PASSWORD  the file's password, if it has one
#   VELLUMIR_TIMESTAMP_URL     a timestamp server; without one the signature holds only while
#                              the certificate is valid
set -euo pipefail
file=$1
options=(-pkcs12 "${VELLUMIR_SIGNING_PFX:?names no PKCS#12 file}" -h sha256 -n Vellumir)
if [ -n "${VELLUMIR_SIGNING_PASSWORD:-}" ]; then options+=(-readpass /dev/stdin); fi
if [ -n "${VELLUMIR_TIMESTAMP_URL:-}" ]; then options+=(-ts "$VELLUMIR_TIMESTAMP_URL"); fi
rm -f "$file.signed"
# The password goes through a pipe, not the command line that other users can read.
printf '%s' "${VELLUMIR_SIGNING_PASSWORD:-}" |
  osslsigncode sign "${options[@]}" -in "$file" -out "$file.signed" >/dev/null
mv "$file.signed" "$file"
