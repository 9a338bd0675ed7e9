#!/usr/bin/env bash
# The hack as its users and XScreenSaver meet it, on private Xvfb displays: its own window,
# windows made by other clients (resized under it), the root and XSCREENSAVER_WINDOW, signals,
# bad input, and the real daemon run by an unprivileged user.
#   x11_test.sh HACK HOST_WINDOW CMAKE BUILD_FOLDER
set -u
hack=$1 host_window=$2 cmake=$3 build=$4
work=$(mktemp -d)
chmod 755 "$work"
failures=0 pids=()
screen_width=1280 screen_height=1024

check() {  # description, then a command that must succeed
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null; done
  # The daemon's hacks are its children, not ours: find them by the HOME we gave the daemon.
  for pid in $(pgrep -u nobody 2>/dev/null); do
    grep -qz "^HOME=$work/home\$" "/proc/$pid/environ" 2>/dev/null && kill -KILL "$pid" 2>/dev/null
  done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb() {  # screen geometry; sets $display to a display of our own
  local number
  for number in $(seq 300 400); do
    [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
    Xvfb ":$number" -screen 0 "$1" -nolisten tcp -noreset </dev/null >"$work/xvfb-$number.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do
      DISPLAY=":$number" xdpyinfo >/dev/null 2>&1 && { display=":$number"; return 0; }
      kill -0 "$!" 2>/dev/null || break  # another session took the number first
      sleep 0.1
    done
  done
  echo "no Xvfb could be started"
  exit 1
}

launch() {  # runs the hack in the background with these arguments; $hack_pid, $hack_log
  hack_log=$work/hack-$RANDOM.log
  "$hack" "$@" </dev/null >"$hack_log" 2>&1 &
  hack_pid=$!
  pids+=("$hack_pid")
}

wait_for_hack() {  # seconds: sets $code to the hack's exit code, or to "running"
  code=running
  for _ in $(seq $(($1 * 10))); do
    if ! kill -0 "$hack_pid" 2>/dev/null; then
      wait "$hack_pid"
      code=$?
      return
    fi
    sleep 0.1
  done
}

make_host() {  # width height screen kind: a window of another client; sets $host and $host_pid
  "$host_window" "$@" >"$work/host" </dev/null &
  host_pid=$!
  pids+=("$host_pid")
  for _ in $(seq 50); do host=$(head -n 1 "$work/host"); [ -n "$host" ] && return 0; sleep 0.1; done
  return 1
}

own_window() { xdotool search --name '^Vellumir$' 2>/dev/null | head -n 1; }

wait_for_own_window() {
  for _ in $(seq 50); do window=$(own_window); [ -n "$window" ] && return 0; sleep 0.1; done
  return 1
}

shot() { import -window "$1" ${3:+-crop "$3"} "PNG24:$2" 2>/dev/null; }

# On llvmpipe every pixel the mesh covers is at least about 0.2 of full intensity in its
# brightest channel, so any darker pixel is a gap or an uncovered part of the window.
covered() { [ "$(convert "$1" -separate -evaluate-sequence Max -format '%[fx:minima>0.15]' info:)" = 1 ]; }

differs() { ! compare -metric AE "$1" "$2" null: 2>/dev/null; }

size_of() { identify -format '%wx%h' "$1"; }

start_xvfb "${screen_width}x${screen_height}x24"
export DISPLAY=$display

# --- its own window -------------------------------------------------------------------------

for ending in "key q" "key Escape" close; do
  launch --mode 2
  wait_for_own_window
  check "own window ($ending): appears, titled Vellumir" test -n "$window"
  [ -n "$window" ] || continue
  if [ "$ending" = "key q" ]; then
    sleep 1
    shot "$window" "$work/own-1.png"
    sleep 1
    shot "$window" "$work/own-2.png"
    check "own window: 1280 x 720" test "$(size_of "$work/own-2.png")" = 1280x720
    check "own window: fully covered" covered "$work/own-2.png"
    check "own window: animates" differs "$work/own-1.png" "$work/own-2.png"
  fi
  if [ "$ending" = close ]; then
    "$host_window" close "$window"
  else
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool $ending
  fi
  wait_for_hack 5
  check "own window: $ending ends it with exit code 0" test "$code" = 0
done

# --- windows of other clients ---------------------------------------------------------------

make_host 400 300 0 default
launch --window-id "$((host))" --rows 60
sleep 1.5
shot "$host" "$work/given.png"
check "--window-id (decimal): the other client's window is covered" covered "$work/given.png"
xdotool windowsize "$host" 900 500
sleep 1.5
shot "$host" "$work/given-resized.png"
check "--window-id: the window was resized" test "$(size_of "$work/given-resized.png")" = 900x500
check "--window-id: still covered after the resize" covered "$work/given-resized.png"
kill "$host_pid"
wait_for_hack 5
check "--window-id: the window's end ends the hack with exit code 0" test "$code" = 0

make_host 500 300 0 single-buffered
launch --window-id "$host"
sleep 1.5
shot "$host" "$work/single.png"
check "--window-id (hex) on a single-buffered visual: covered" covered "$work/single.png"
kill -TERM "$hack_pid"
wait_for_hack 5
check "SIGTERM ends it by the signal" test "$code" = 143
kill "$host_pid"

make_host 640 400 0 default
shot root "$work/outside-before.png" 600x600+660+400
XSCREENSAVER_WINDOW=$host launch --root
sleep 1.5
shot "$host" "$work/daemon-window.png"
shot root "$work/outside-after.png" 600x600+660+400
check "--root with XSCREENSAVER_WINDOW: that window is covered" covered "$work/daemon-window.png"
check "--root with XSCREENSAVER_WINDOW: nothing drawn outside it" \
  compare -metric AE "$work/outside-before.png" "$work/outside-after.png" null: 2>/dev/null
kill -TERM "$hack_pid"
wait_for_hack 5
kill "$host_pid"

launch -root
sleep 2
shot root "$work/root.png"
check "--root without XSCREENSAVER_WINDOW: the whole root is covered" covered "$work/root.png"
check "--root: the root is the whole screen" test "$(size_of "$work/root.png")" = "${screen_width}x${screen_height}"
kill -TERM "$hack_pid"
wait_for_hack 5
check "--root: SIGTERM ends it by the signal" test "$code" = 143

# The loop must wake for the signal, not sleep out its delay.
launch --delay 10000000
wait_for_own_window
sleep 0.5
kill -TERM "$hack_pid"
wait_for_hack 2
check "SIGTERM during a 10 s delay ends it within 2 s" test "$code" = 143

# --- bad input ------------------------------------------------------------------------------

"$hack" --help >"$work/help.txt" 2>&1 </dev/null
check "--help: exit code 0 and the usage" test $? -eq 0 -a "$(head -c 6 "$work/help.txt")" = usage:

# Each case: an XSCREENSAVER_WINDOW value (- for none), then the arguments.
for case in "- --bogus" "- --delay" "- --mode 6" "- --rows 0" "- --window-id 0x" "- -delay 1e3" "- extra" \
  "XSCREENSAVER_WINDOW=junk --root"; do
  read -r variable arguments <<<"$case"
  [ "$variable" = - ] && variable=
  # shellcheck disable=SC2086
  DISPLAY= timeout 10 env $variable "$hack" $arguments >"$work/out.txt" 2>"$work/err.txt" </dev/null
  code=$?
  check "'$case': exit code 1 before any display is opened" test $code -eq 1
  check "'$case': one line, then the usage" test "$(sed -n 2p "$work/err.txt" | head -c 6)" = usage:
done

start_xvfb 320x240x8  # a display whose only visuals have no OpenGL
no_gl_display=$display
DISPLAY=$no_gl_display make_host 200 100 0 default
DISPLAY=$no_gl_display launch --window-id "$host"
wait_for_hack 5
check "a window whose visual has no OpenGL: exit code 1" test "$code" = 1
check "... with one line on stderr" test "$(grep -c . "$hack_log")" -eq 1
kill "$host_pid"

# Run in the foreground, bounded: a window that cannot be drawn on is refused, not hung on.
for case in "- --window-id 0x7fffff0" "XSCREENSAVER_WINDOW=0x7fffff0 --root"; do
  read -r variable arguments <<<"$case"
  [ "$variable" = - ] && variable=
  # shellcheck disable=SC2086
  timeout 10 env $variable "$hack" $arguments >"$work/out.txt" 2>"$work/err.txt" </dev/null
  code=$?
  check "'$case': exit code 1" test $code -eq 1
  check "'$case': one line on stderr" test "$(grep -c . "$work/err.txt")" -eq 1
  check "'$case': no window of its own" test -z "$(own_window)"
done

# --- the real daemon ------------------------------------------------------------------------

# XScreenSaver will not run hacks as root: the daemon runs as nobody, with a HOME of its own
# holding its settings and the hack, installed as a user would.
home=$work/home
prefix=$home/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
check "the install holds the hack, its entry, description and manual page, and nothing else" \
  test "$(cd "$prefix" && find . -type f | sort | tr '\n' ' ')" = \
  "./libexec/xscreensaver/vellumir ./share/applications/screensavers/vellumir.desktop ./share/man/man6/vellumir.6x ./share/xscreensaver/config/vellumir.xml "
hacks=$prefix/libexec/xscreensaver
cat >"$home/.xscreensaver" <<SETTINGS
mode: one
selected: 0
lock: False
fade: False
unfade: False
splash: False
dpmsEnabled: False
timeout: 1:00:00
cycle: 0:00:00
programs: GL: vellumir --root \n
SETTINGS
chmod -R a+rX "$home"
as_daemon_user() { runuser -u nobody -- env HOME="$home" PATH="$hacks:/usr/bin:/bin" DISPLAY="$DISPLAY" "$@"; }
daemon_answers() { as_daemon_user xscreensaver-command -time >/dev/null 2>&1; }
daemon_hacks() {  # the pids of hacks run from our install
  local pid
  for pid in $(pgrep -u nobody -x vellumir 2>/dev/null); do
    [ "$(readlink "/proc/$pid/exe")" = "$hacks/vellumir" ] && echo "$pid"
  done
}

as_daemon_user xscreensaver --no-splash --verbose </dev/null >"$work/daemon.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do daemon_answers && break; sleep 0.1; done
check "the daemon answers" daemon_answers

as_daemon_user xscreensaver-command -activate >/dev/null 2>&1
for _ in $(seq 100); do [ -n "$(daemon_hacks)" ] && break; sleep 0.1; done
check "-activate runs the hack" test -n "$(daemon_hacks)"
sleep 2
shot root "$work/daemon.png"
check "-activate: the lattice covers the whole screen" covered "$work/daemon.png"
as_daemon_user xscreensaver-command -deactivate >/dev/null 2>&1
for _ in $(seq 100); do [ -z "$(daemon_hacks)" ] && break; sleep 0.1; done
check "-deactivate ends the hack" test -z "$(daemon_hacks)"
as_daemon_user xscreensaver-command -exit >/dev/null 2>&1

[ "$failures" -eq 0 ] || { echo "daemon log:"; tail -n 20 "$work/daemon.log"; }
echo "$failures failed"
test "$failures" -eq 0
