#!/usr/bin/env bash
# assemble.sh BUILD DIST [NAME...]: writes the release from a Windows build folder into DIST: the
# zip (the saver's very bytes, the README and the licence with Windows line ends), the setup
# program and SHA256SUMS, which sums those two and the other files of the release already in DIST
# that the NAMEs give (the Debian package, the page's zip). Nothing else in DIST is read, summed or
# removed. Prints the paths it made.
set -euo pipefail
build=$1 dist=$2 others=("${@:3}")
packaging=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$packaging")
version=$(cat "$build/version.txt")
setup=vellumir-$version-setup.exe
archive=vellumir-$version-windows-x64.zip
[ -f "$build/$setup" ] || { echo "$build/$setup is missing: the build needs makensis (Debian's nsis)" >&2; exit 1; }

# Every entry gets the last commit's time (or SOURCE_DATE_EPOCH, or a fixed day outside git),
# so the same sources give the same archive on any machine, in any time zone.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || true)}
epoch=${epoch:-1767225600}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/files"
cp "$build/vellumir.scr" "$stage/files/vellumir.scr"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$packaging/README-windows.txt" >"$stage/files/README.txt"
sed -e 's/$/\r/' "$top/LICENSE" >"$stage/files/LICENSE.txt"
chmod 644 "$stage/files"/*
TZ=UTC touch -d "@$epoch" "$stage/files"/*
# -X leaves out the extra fields (exact times, owners); the names go in sorted.
(cd "$stage/files" && TZ=UTC LC_ALL=C zip -X -D -q "$stage/$archive" $(LC_ALL=C ls))

mkdir -p "$dist"
mv "$stage/$archive" "$dist/$archive"
cp "$build/$setup" "$dist/$setup"
(cd "$dist" && sha256sum -- "$archive" "$setup" "${others[@]}" >"$stage/SHA256SUMS")
mv "$stage/SHA256SUMS" "$dist/SHA256SUMS"
for file in "$archive" "$setup" SHA256SUMS; do
  echo "$dist/$file"
done
