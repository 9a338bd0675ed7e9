#!/usr/bin/env bash
# The Debian package as a user meets it: built from this tree, checked by lintian, installed with
# apt, found and run by the real XScreenSaver daemon and by MATE's screen saver, and removed
# without a trace. Installing is
# machine-wide: it runs as root only, one run at a time, and leaves the machine as it found it.
#   debian_package_test.sh
set -u
[ "$(id -u)" -eq 0 ] || { echo "skipped: installing a package needs root"; exit 77; }
exec 9>/run/lock/vellumir-package-test.lock
flock 9
if dpkg -s vellumir >/dev/null 2>&1; then
  echo "skipped: a Vellumir package is installed here already, and this test would remove it"
  exit 77
fi

top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
chmod 755 "$work"
home=$work/home mate_home=$work/mate-home
mkdir "$home" "$mate_home"
failures=0 pids=()
program=/usr/libexec/xscreensaver/vellumir
apt() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -q "$@" >>"$work/apt.log" 2>&1; }

check() {  # description, then a command that must succeed
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null; done
  # The screen savers' processes are not our children: find them by the HOME we gave them.
  for pid in $(pgrep -u nobody 2>/dev/null); do
    grep -qz "^HOME=\($home\|$mate_home\)\$" "/proc/$pid/environ" 2>/dev/null && kill -KILL "$pid" 2>/dev/null
  done
  wait 2>/dev/null
  dpkg -s vellumir >/dev/null 2>&1 && apt purge vellumir
  rm -rf "$work"
}
trap cleanup EXIT

deb=$("$top/packaging/make-deb.sh" "$work") || { echo "FAILED: the package does not build"; exit 1; }
chmod 644 "$deb"
check "lintian finds no error and no warning" \
  runuser -u nobody -- env HOME="$home" lintian --fail-on error,warning "$deb"
check "apt-get installs it" apt install --no-install-recommends "$deb"
installed_files() { dpkg -L vellumir | while read -r path; do [ -d "$path" ] || echo "$path"; done | sort | tr '\n' ' '; }
check "dpkg -L lists the program, its description, manual page, entry, changelog and copyright" \
  test "$(installed_files)" = "$program /usr/share/applications/screensavers/vellumir.desktop \
/usr/share/doc/vellumir/changelog.gz /usr/share/doc/vellumir/copyright /usr/share/man/man6/vellumir.6x.gz \
/usr/share/xscreensaver/config/vellumir.xml "
entry=/usr/share/applications/screensavers/vellumir.desktop
check "desktop-file-validate accepts the entry" desktop-file-validate "$entry"
check "the entry runs the installed program on the root" grep -qx "Exec=$program --root" "$entry"

# The daemon runs as nobody (it will not run hacks as root) with settings of its own; it must
# find the installed program by itself.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" </dev/null >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -n 1 "$work/display")
cat >"$home/.xscreensaver" <<'SETTINGS'
mode: one
selected: 0
lock: False
fade: False
unfade: False
splash: False
dpmsEnabled: False
timeout: 1:00:00
programs: GL: vellumir --root \n
SETTINGS
chmod -R a+rX "$home"
as_daemon_user() { runuser -u nobody -- env HOME="$home" PATH=/usr/bin:/bin DISPLAY="$display" "$@"; }
daemon_answers() { as_daemon_user xscreensaver-command -time >/dev/null 2>&1; }
hacks_run_from() {  # HOME: the installed program, run by a screen saver given that HOME
  local pid
  for pid in $(pgrep -u nobody 2>/dev/null); do
    grep -qz "^HOME=$1\$" "/proc/$pid/environ" 2>/dev/null &&
      [ "$(readlink "/proc/$pid/exe")" = "$program" ] && echo "$pid"
  done
}
wait_for_hack() { for _ in $(seq 100); do [ -n "$(hacks_run_from "$1")" ] && break; sleep 0.1; done; }
covered() { [ "$(convert "$1" -separate -evaluate-sequence Max -format '%[fx:minima>0.15]' info:)" = 1 ]; }
screen_covered() {  # the lattice appears on the whole screen within ten seconds
  for _ in $(seq 50); do
    import -display "$display" -window root "PNG24:$work/screen.png" 2>/dev/null && covered "$work/screen.png" && return 0
    sleep 0.2
  done
  return 1
}

as_daemon_user xscreensaver --no-splash </dev/null >"$work/daemon.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do daemon_answers && break; sleep 0.1; done
as_daemon_user xscreensaver-command -activate >/dev/null 2>&1
wait_for_hack "$home"
check "XScreenSaver runs the installed program" test -n "$(hacks_run_from "$home")"
check "... and the lattice covers the whole screen" screen_covered
as_daemon_user xscreensaver-command -exit >/dev/null 2>&1
for _ in $(seq 100); do [ -z "$(hacks_run_from "$home")" ] && break; sleep 0.1; done

# MATE's screen saver finds the entry by itself, as the theme named for its file, in a session
# bus and settings of its own, which it must be able to write.
chown nobody: "$mate_home"
runuser -u nobody -- env HOME="$mate_home" DISPLAY="$display" XDG_CURRENT_DESKTOP=MATE dbus-run-session -- sh -c '
  gsettings set org.mate.screensaver mode single
  gsettings set org.mate.screensaver themes "[\"screensavers-vellumir\"]"
  gsettings set org.mate.screensaver lock-enabled false
  mate-screensaver --no-daemon &
  for _ in $(seq 100); do mate-screensaver-command --activate && break; sleep 0.1; done
  wait' </dev/null >"$work/mate.log" 2>&1 &
pids+=($!)
wait_for_hack "$mate_home"
check "MATE's screen saver runs the installed program" test -n "$(hacks_run_from "$mate_home")"
check "... and the lattice covers the whole screen" screen_covered

check "apt-get removes it" apt purge vellumir
check "no package record is left" test -z "$(dpkg-query -W -f='${Status}' vellumir 2>/dev/null)"
check "no file is left" test -z "$(ls -d $program "$entry" /usr/share/doc/vellumir /usr/share/man/man6/vellumir.6x.gz \
  /usr/share/xscreensaver/config/vellumir.xml /var/lib/dpkg/info/vellumir.* 2>/dev/null)"

if [ "$failures" -ne 0 ]; then
  for log in apt daemon mate; do echo "--- $log log:"; tail -n 15 "$work/$log.log"; done
fi
echo "$failures failed"
test "$failures" -eq 0
