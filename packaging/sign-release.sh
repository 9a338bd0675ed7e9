#!/usr/bin/env bash
# sign-release.sh BUILD OUT: puts into OUT what assemble.sh takes from the Windows build folder
# BUILD (version.txt, vellumir.scr and the setup program), with every program signed by
# sign-file.sh (which names the settings it reads): the saver, then the setup program made again
# around the signed saver, whose uninstaller and itself makensis has signed as it writes them.
# BUILD stays unsigned, so a later unsigned release is the same as ever. The work is done in a
# private folder and only a finished release reaches OUT, where those three files are replaced
# and nothing else is touched.
set -euo pipefail
build=$1 out=$2
packaging=$(cd "$(dirname "$0")" && pwd)
if [ "$(realpath -m -- "$out")" = "$(realpath -m -- "$build")" ]; then
  echo "sign-release.sh: OUT '$out' is BUILD, whose saver must stay unsigned; name another folder" >&2
  exit 1
fi
version=$(cat "$build/version.txt")
setup=vellumir-$version-setup.exe
# makensis runs the signing from the script's folder: a relative path would miss there.
VELLUMIR_SIGNING_PFX=$(realpath -e -- "${VELLUMIR_SIGNING_PFX:?names no PKCS#12 file}")
export VELLUMIR_SIGNING_PFX
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$build/version.txt" "$build/vellumir.scr" "$stage/"
"$packaging/sign-file.sh" "$stage/vellumir.scr"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSCREEN_SAVER="$stage/vellumir.scr" \
  -DOUTPUT="$stage/$setup" -DSIGN="$packaging/sign-file.sh" "$packaging/vellumir.nsi"
mkdir -p "$out"
mv -f "$stage/version.txt" "$stage/vellumir.scr" "$stage/$setup" "$out/"
