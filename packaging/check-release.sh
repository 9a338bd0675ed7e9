#!/usr/bin/env bash
# check-release.sh BUILD: assembles the release twice, the second time later, in another time
# zone and under another umask, and checks that the archives are the same bytes, that it holds
# the very saver that was built, and that SHA256SUMS verifies.
set -u
build=$1
packaging=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

"$packaging/assemble.sh" "$build" "$work/first" >/dev/null || exit 1
sleep 2  # the zip's times have a resolution of two seconds
(umask 077 && TZ=Pacific/Auckland "$packaging/assemble.sh" "$build" "$work/second" >/dev/null) || exit 1
archive=$(cd "$work/first" && ls ./*-windows-x64.zip)

check "two runs give the same archive" cmp "$work/first/$archive" "$work/second/$archive"
check "the archive holds the saver as built" cmp <(unzip -p "$work/first/$archive" vellumir.scr) "$build/vellumir.scr"
check "the README uses Windows line ends" test "$(unzip -p "$work/first/$archive" README.txt | grep -vc $'\r$')" = 0
check "SHA256SUMS verifies" sh -c "cd '$work/second' && sha256sum --quiet -c SHA256SUMS"
[ "$failures" -eq 0 ]
