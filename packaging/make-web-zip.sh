#!/usr/bin/env bash
# make-web-zip.sh BUILD DIST: writes vellumir-<version>-web.zip, the browser page from a web
# build folder (index.html and vellumir.js, which opens from disk) and the licence, into DIST.
# Reproducible as the Windows zip is: the same sources give the same bytes on any machine.
# Prints its path.
set -euo pipefail
build=$1 dist=$2
top=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(Vellumir VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
folder=vellumir-$version-web
archive=$folder.zip
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || true)}
epoch=${epoch:-1767225600}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$folder"
cp "$build/page/index.html" "$build/page/vellumir.js" "$stage/$folder/"
cp "$top/LICENSE" "$stage/$folder/LICENSE.txt"
chmod 644 "$stage/$folder"/*
TZ=UTC touch -d "@$epoch" "$stage/$folder"/*
# -X leaves out the extra fields (exact times, owners), -D the folder entry; names go in sorted.
(cd "$stage" && TZ=UTC LC_ALL=C zip -X -D -q "$archive" $(LC_ALL=C ls "$folder" | sed "s|^|$folder/|"))

mkdir -p "$dist"
mv "$stage/$archive" "$dist/$archive"
echo "$dist/$archive"
