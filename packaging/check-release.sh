#!/usr/bin/env bash
# check-release.sh BUILD: checks that the Windows release is reproducible. The saver and the setup
# program (which holds the uninstaller it writes) are built a second time from the same sources,
# later and in another folder (BUILD/reproduced, kept, so that later runs build only what
# changed), and must be the same bytes; the release is assembled twice, the second time later, in
# another time zone and under another umask, and the archives must be the same bytes. It also
# checks that the zip holds the very saver that was built, without debug data, and that
# SHA256SUMS verifies.
set -u
build=$1
packaging=$(cd "$(dirname "$0")" && pwd)
. "$packaging/../tests/harness.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
setup=vellumir-$(cat "$build/version.txt")-setup.exe

cached() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }  # a setting of the build
without_debug_data() { ! "$(cached CMAKE_OBJDUMP)" -h "$1" | grep -q '\.debug'; }
second=$build/reproduced
cmake -S "$(cached CMAKE_HOME_DIRECTORY)" -B "$second" -DCMAKE_TOOLCHAIN_FILE="$(cached CMAKE_TOOLCHAIN_FILE)" \
  -DCMAKE_BUILD_TYPE="$(cached CMAKE_BUILD_TYPE)" -DBUILD_TESTING=OFF >/dev/null || exit 1
cmake --build "$second" --target installer -j "$(nproc)" >/dev/null || exit 1

# A file of someone else's in DIST is neither summed nor removed, even with a blank in its name.
mkdir "$work/first" && echo mine >"$work/first/notes of mine.txt"
"$packaging/assemble.sh" "$build" "$work/first" >/dev/null || exit 1
sleep 2  # the zip's times have a resolution of two seconds
(umask 077 && TZ=Pacific/Auckland "$packaging/assemble.sh" "$build" "$work/second" >/dev/null) || exit 1
archive=$(cd "$work/first" && ls ./*-windows-x64.zip)

check "a second build gives the same saver" cmp "$build/vellumir.scr" "$second/vellumir.scr"
check "a second build gives the same setup program" cmp "$build/$setup" "$second/$setup"
check "two runs give the same archive" cmp "$work/first/$archive" "$work/second/$archive"
check "the archive holds the saver as built" cmp <(unzip -p "$work/first/$archive" vellumir.scr) "$build/vellumir.scr"
check "the saver carries no debug data" without_debug_data "$build/vellumir.scr"
check "the README uses Windows line ends" test "$(unzip -p "$work/first/$archive" README.txt | grep -vc $'\r$')" = 0
check "SHA256SUMS sums the release's files alone" test "$(cut -c67- "$work/first/SHA256SUMS" | xargs)" = "${archive#./} $setup"
check "a file of someone else's is left in DIST" test -f "$work/first/notes of mine.txt"
check "SHA256SUMS verifies" sh -c "cd '$work/second' && sha256sum --quiet -c SHA256SUMS"
[ "$failures" -eq 0 ]
