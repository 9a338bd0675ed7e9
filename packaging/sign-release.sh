#!/usr/bin/env bash
# sign-release.sh BUILD OUT: makes OUT a folder that assemble.sh takes as it takes the Windows
# build folder BUILD, with every program signed by sign-file.sh (which names the settings it
# reads): the saver, then the setup program made again around the signed saver, whose
# uninstaller and itself makensis has signed as it writes them. BUILD stays unsigned, so a later
# unsigned release is the same as ever.
set -euo pipefail
build=$1 out=$2
packaging=$(cd "$(dirname "$0")" && pwd)
# OUT is emptied first: refused where that would delete the build, the sources or everything.
emptied=$(realpath -m -- "$out")
for kept in "$build" "$packaging/.."; do
  kept=$(realpath -m -- "$kept")
  case $kept/ in
    "${emptied%/}/"*) echo "sign-release.sh: emptying OUT '$out' would delete $kept; name a folder of its own" >&2; exit 1 ;;
  esac
done
version=$(cat "$build/version.txt")
# makensis runs the signing from the script's folder: a relative path would miss there.
VELLUMIR_SIGNING_PFX=$(realpath -e -- "${VELLUMIR_SIGNING_PFX:?names no PKCS#12 file}")
export VELLUMIR_SIGNING_PFX
rm -rf "$out" && mkdir -p "$out"
out=$(cd "$out" && pwd)
cp "$build/version.txt" "$build/vellumir.scr" "$out/"
"$packaging/sign-file.sh" "$out/vellumir.scr"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSCREEN_SAVER="$out/vellumir.scr" \
  -DOUTPUT="$out/vellumir-$version-setup.exe" -DSIGN="$packaging/sign-file.sh" "$packaging/vellumir.nsi"
