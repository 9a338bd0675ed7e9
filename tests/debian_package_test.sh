#!/usr/bin/env bash
# The Debian package built from this tree, installed with apt, run by the real XScreenSaver and
# MATE's screen saver, and removed without a trace; as root only, one run at a time.
set -u
. "$(dirname "$0")/harness.sh"
[ "$(id -u)" -eq 0 ] || { echo "skipped: installing a package needs root"; exit 77; }
exec 9>/run/lock/vellumir-package-test.lock && flock 9
dpkg -s vellumir >/dev/null 2>&1 && { echo "skipped: a Vellumir package is installed here already"; exit 77; }
work=$(mktemp -d) pids=() program=/usr/libexec/xscreensaver/vellumir
home=$work/home mate_home=$work/mate-home entry=/usr/share/applications/screensavers/vellumir.desktop
files="/usr/bin/vellumir-wayland $program $entry /usr/share/doc/vellumir/changelog.gz /usr/share/doc/vellumir/copyright
  /usr/share/man/man6/vellumir-wayland.6.gz /usr/share/man/man6/vellumir.6x.gz /usr/share/xscreensaver/config/vellumir.xml"
mkdir "$home" "$mate_home" && chmod 755 "$work"

apt() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -q "$@" >>"$work/log" 2>&1; }
# The screen savers' processes are not our children: they are found by the HOME they were given.
runs_ours() { runs_program "HOME=$1" "$program"; }
# The machine is left as it was found: nothing of ours running, no package, no files.
cleanup() { kill "${pids[@]}" $(processes_with "HOME=$home") $(processes_with "HOME=$mate_home") 2>/dev/null; wait
  dpkg -s vellumir >/dev/null 2>&1 && apt purge vellumir; rm -rf "$work"; }
trap cleanup EXIT

deb=$("$(dirname "$0")/../packaging/make-deb.sh" "$work" 2>>"$work/log") || { cat "$work/log"; exit 1; }
check "apt-get installs it" apt install --no-install-recommends "$deb"
check "dpkg -L lists the programs, the description, manual pages, entry, changelog and copyright" \
  test "$(dpkg -L vellumir | while read -r path; do [ -d "$path" ] || echo "$path"; done | LC_ALL=C sort | xargs)" = "$(echo $files)"
check "desktop-file-validate accepts the entry" desktop-file-validate "$entry"
check "vellumir-wayland is on PATH and answers --version" \
  bash -c '[ "$(command -v vellumir-wayland)" = /usr/bin/vellumir-wayland ] && vellumir-wayland --version | grep -qx "vellumir-wayland [0-9.]*"'

start_xvfb 1024x768x24 "$work/xvfb.log" || exit 1
pids+=("$xvfb_pid")
export DISPLAY=$display
shows() { import -window root "PNG24:$work/$1.png" 2>/dev/null && covered "$work/$1.png"; }  # shot name
# A picture left on the screen does not move: the lattice covers it and changes.
lattice_moves() { eventually shows first && eventually eval 'shows later && differs "$work/first.png" "$work/later.png"'; }
as_nobody() { runuser -u nobody -- env HOME="$1" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" XDG_CURRENT_DESKTOP=MATE "${@:2}"; }

# XScreenSaver runs no hack as root; as nobody, with settings of its own, it finds the program.
printf '%s\n' "mode: one" "selected: 0" "lock: False" "fade: False" "splash: False" "timeout: 1:00:00" \
  'programs: GL: vellumir --root \n' >"$home/.xscreensaver"
chmod -R a+rX "$home"
as_nobody "$home" xscreensaver --no-splash </dev/null >>"$work/log" 2>&1 &
pids+=($!)
eventually as_nobody "$home" xscreensaver-command -activate >/dev/null 2>&1
check "XScreenSaver runs the installed program" eventually runs_ours "$home"
check "... whose lattice covers the screen and moves" lattice_moves
as_nobody "$home" xscreensaver-command -exit >/dev/null 2>&1
check "... and ends it on leaving" eventually eval '! runs_ours "$home"'

# MATE's screen saver knows the entry as the theme named for its file; its settings must be writable.
chown nobody: "$mate_home"
as_nobody "$mate_home" dbus-run-session -- sh -c 'gsettings set org.mate.screensaver mode single
  gsettings set org.mate.screensaver themes "[\"screensavers-vellumir\"]"
  gsettings set org.mate.screensaver lock-enabled false
  mate-screensaver --no-daemon & for _ in $(seq 600); do mate-screensaver-command -a && break; sleep 0.1; done; wait' \
  </dev/null >>"$work/log" 2>&1 &
pids+=($!)
check "MATE's screen saver runs the installed program" eventually runs_ours "$mate_home"
check "... whose lattice covers the screen and moves" lattice_moves

check "apt-get removes it" apt purge vellumir
check "no package record is left" test -z "$(dpkg-query -W -f='${Status}' vellumir 2>/dev/null)"
check "no file is left" test -z "$(ls -d $files /usr/share/doc/vellumir /var/lib/dpkg/info/vellumir.* 2>/dev/null)"
echo "$failures failed"
[ "$failures" -eq 0 ] || { tail -n 30 "$work/log"; exit 1; }
