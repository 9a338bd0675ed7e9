#!/usr/bin/env bash
# make-deb.sh DIST: builds the Debian package of the hack from this tree with Debian's own tools,
# checks it with lintian and copies vellumir_<version>_amd64.deb into DIST. Prints its path. The
# build runs in a copy of the tree, since dpkg-buildpackage writes inside the tree and beside it.
set -euo pipefail
dist=$1
top=$(cd "$(dirname "$0")/.." && pwd)
version=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)
project_version=$(sed -n 's/^project(Vellumir VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
if [ "$version" != "$project_version" ]; then
  echo "debian/changelog is at $version but CMakeLists.txt at $project_version: add a changelog entry" >&2
  exit 1
fi
# Every file and the archive's members get the last commit's time, so one commit gives one .deb
# (or SOURCE_DATE_EPOCH, or outside git, as from a source tarball, the changelog entry's time).
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || true)}
export SOURCE_DATE_EPOCH=${epoch:-$(dpkg-parsechangelog -l "$top/debian/changelog" -S Timestamp)}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
source=$stage/vellumir-$version
mkdir "$source"
# The files git tracks or would track, as they are now: no build folders, no releases. Outside
# git, the whole tree but those.
if git -C "$top" rev-parse --git-dir >/dev/null 2>&1; then
  git -C "$top" ls-files -z --cached --others --exclude-standard
else
  (cd "$top" && find . -path ./build -prune -o -path ./dist -prune -o ! -type d -print0)
fi | tar -C "$top" --null --files-from=- --ignore-failed-read -cf - | tar -C "$source" -xf -
if ! (cd "$source" && dpkg-buildpackage -b -us -uc -jauto) >"$stage/build.log" 2>&1; then
  tail -n 40 "$stage/build.log" >&2
  exit 1
fi
# Released only when Debian's own checker finds no error and no warning in it. It only reads
# the package, so running it as root (as the package test must) is no risk: --allow-root
# silences its warning about that.
lintian --allow-root --fail-on error,warning "$stage/vellumir_${version}_amd64.deb" >&2
mkdir -p "$dist"
cp "$stage/vellumir_${version}_amd64.deb" "$dist/"
echo "$dist/vellumir_${version}_amd64.deb"
