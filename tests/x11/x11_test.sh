#!/usr/bin/env bash
# The hack as its users and XScreenSaver meet it, each scenario on an Xvfb display of its own
# (some check what is drawn outside a window, so no one else may draw there).
#   x11_test.sh NAME HACK HOST_WINDOW CMAKE BUILD_FOLDER   runs scenario_NAME
# Each scenario prints its checks and exits non-zero when one fails, 77 when this machine cannot
# run it.
set -u
name=$1 hack=$2 host_window=$3 cmake=$4 build=$5
. "$(dirname "$0")/../harness.sh"
work=$(mktemp -d)
chmod 755 "$work"
pids=()
screen_width=1280 screen_height=1024

cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null; done
  # The daemon's hacks are its children, not ours: found by the HOME we gave the daemon.
  kill -KILL $(processes_with "HOME=$work/home") 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

use_new_display() {  # screen geometry: starts Xvfb and makes it the display of what follows
  start_xvfb "$1" "$work/xvfb-$RANDOM.log" || exit 1
  pids+=("$xvfb_pid")
  export DISPLAY=$display
}

launch() {  # runs the hack in the background with these arguments; $hack_pid, $hack_log
  hack_log=$work/hack-$RANDOM.log
  "$hack" "$@" </dev/null >"$hack_log" 2>&1 &
  hack_pid=$!
  pids+=("$hack_pid")
}

hack_ended() { ! kill -0 "$hack_pid" 2>/dev/null; }

wait_for_hack() {  # sets $code to the hack's exit code, or to "running" if it outlasts the patience
  code=running
  eventually hack_ended || return
  wait "$hack_pid"
  code=$?
}

make_host() {  # width height screen kind: a window of another client; sets $host and $host_pid
  # A file of its own each time: a reused one could be read between another start's truncation
  # and its write.
  host_out=$(mktemp "$work/host.XXXXXX")
  "$host_window" "$@" >"$host_out" </dev/null &
  host_pid=$!
  pids+=("$host_pid")
  eventually host_printed
}

host_printed() { IFS= read -r host <"$host_out"; }  # a whole line only: the id is complete

own_window() { xdotool search --name '^Vellumir$' 2>/dev/null | head -n 1; }

own_window_shown() { window=$(own_window); [ -n "$window" ]; }

# PPM: a busy machine takes seconds to compress a full-screen PNG.
shot() { import -window "$1" ${3:+-crop "$3"} "PPM:$2" 2>/dev/null; }

shows_covered() { shot "$1" "$2" && covered "$2"; }  # window file

shows_other_than() { shot "$1" "$2" && differs "$3" "$2"; }  # window file earlier-file

size_of() { identify -format '%wx%h' "$1"; }

# --- its own window -------------------------------------------------------------------------

scenario_own_window() {
  local ending
  for ending in "key q" "key Escape" close; do
    launch --mode 2
    check "own window ($ending): appears, titled Vellumir" eventually own_window_shown
    [ -n "$window" ] || continue
    if [ "$ending" = "key q" ]; then
      check "own window: fully covered" eventually shows_covered "$window" "$work/own-1.ppm"
      check "own window: 1280 x 720" test "$(size_of "$work/own-1.ppm")" = 1280x720
      check "own window: animates" eventually shows_other_than "$window" "$work/own-2.ppm" "$work/own-1.ppm"
    fi
    if [ "$ending" = close ]; then
      "$host_window" close "$window"
    else
      xdotool windowfocus --sync "$window" 2>/dev/null
      xdotool $ending
    fi
    wait_for_hack
    check "own window: $ending ends it with exit code 0" test "$code" = 0
  done
}

# --- windows of other clients ---------------------------------------------------------------

scenario_foreign_window_and_resize() {
  make_host 400 300 0 default
  launch --window-id "$((host))" --rows 60
  check "--window-id (decimal): the other client's window is covered" eventually shows_covered "$host" "$work/given.ppm"
  xdotool windowsize "$host" 900 500
  check "--window-id: still covered after the resize" eventually shows_covered "$host" "$work/given-resized.ppm"
  check "--window-id: the window was resized" test "$(size_of "$work/given-resized.ppm")" = 900x500
  kill "$host_pid"
  wait_for_hack
  check "--window-id: the window's end ends the hack with exit code 0" test "$code" = 0

  make_host 500 300 0 single-buffered
  launch --window-id "$host"
  check "--window-id (hex) on a single-buffered visual: covered" eventually shows_covered "$host" "$work/single.ppm"
}

scenario_root_and_xscreensaver_window() {
  make_host 640 400 0 default
  shot root "$work/outside-before.ppm" 600x600+660+400
  XSCREENSAVER_WINDOW=$host launch --root
  check "--root with XSCREENSAVER_WINDOW: that window is covered" \
    eventually shows_covered "$host" "$work/daemon-window.ppm"
  shot root "$work/outside-after.ppm" 600x600+660+400
  check "--root with XSCREENSAVER_WINDOW: nothing drawn outside it" \
    compare -metric AE "$work/outside-before.ppm" "$work/outside-after.ppm" null: 2>/dev/null
  kill -TERM "$hack_pid"
  wait_for_hack
  kill "$host_pid"

  launch -root
  check "--root without XSCREENSAVER_WINDOW: the whole root is covered" eventually shows_covered root "$work/root.ppm"
  check "--root: the root is the whole screen" test "$(size_of "$work/root.ppm")" = "${screen_width}x${screen_height}"
}

scenario_signals() {
  launch --root
  eventually shows_covered root "$work/root.ppm"
  kill -TERM "$hack_pid"
  wait_for_hack
  check "--root: SIGTERM ends it by the signal" test "$code" = 143

  make_host 500 300 0 single-buffered
  launch --window-id "$host"
  eventually shows_covered "$host" "$work/given.ppm"
  kill -TERM "$hack_pid"
  wait_for_hack
  check "--window-id: SIGTERM ends it by the signal" test "$code" = 143
  kill "$host_pid"

  # The loop must wake for the signal, not sleep out its delay: once the first frame is drawn,
  # the next is ten seconds away, and the end must come well before it.
  launch --delay 10000000
  eventually own_window_shown && eventually shows_covered "$window" "$work/slow.ppm"
  kill -TERM "$hack_pid"
  local start=$SECONDS
  wait_for_hack
  check "SIGTERM during a 10 s delay ends it by the signal" test "$code" = 143
  check "... within 5 s" test $((SECONDS - start)) -lt 5
}

# The settings preview destroys the hack's window whenever another hack is picked. Many short
# trials, the window's owner killed at varied moments after a resize: the hack must end by itself,
# with 0, or with 1 when the window was gone before it could start; never crash or hang.
scenario_window_vanishes_under_the_hack() {
  local trial bad=0
  for trial in $(seq 30); do
    make_host 300 200 0 default || { bad=$((bad + 1)); continue; }
    launch --window-id "$host" --delay $((trial % 2 * 30000))
    sleep "0.$((trial % 4 + 1))"
    xdotool windowsize "$host" $((400 + trial * 23)) $((300 + trial * 11)) 2>/dev/null
    [ $((trial % 3)) = 0 ] || sleep "0.0$((trial % 10))"
    kill -KILL "$host_pid"
    wait "$host_pid" 2>/dev/null
    wait_for_hack
    [ "$code" = 0 ] || { [ "$code" = 1 ] && grep -Eq 'no window|vanished' "$hack_log"; } && continue
    echo "trial $trial: exit $code: $(head -c 200 "$hack_log")"
    [ "$code" = running ] && kill -KILL "$hack_pid"
    bad=$((bad + 1))
  done
  check "a window destroyed under it, 30 times: it always ends by itself, never by a crash" test "$bad" -eq 0
}

# "Show frame rate" puts its figures on a black box in the top left corner, over the mesh.
scenario_frame_rate_shows_in_a_corner() {
  make_host 400 300 0 default
  launch --window-id "$host" --fps
  check "--fps: the figures show in the top left corner" eventually frame_rate_shown
  check "--fps: and on stderr" grep -q 'frames per second' "$hack_log"
}

# Drawn below (so not the black of a window still bare) but not in the corner.
frame_rate_shown() {
  shot "$host" "$work/fps-below.ppm" 380x200+10+60 && covered "$work/fps-below.ppm" &&
    shot "$host" "$work/fps.ppm" 300x20+0+0 && ! covered "$work/fps.ppm"
}

# --- bad input ------------------------------------------------------------------------------

scenario_bad_options() {
  "$hack" --help >"$work/help.txt" 2>&1 </dev/null
  check "--help: exit code 0 and the usage" test $? -eq 0 -a "$(head -c 6 "$work/help.txt")" = usage:

  local case variable arguments code
  # Each case: an XSCREENSAVER_WINDOW value (- for none), then the arguments.
  for case in "- --bogus" "- --delay" "- --mode 6" "- --rows 0" "- --window-id 0x" "- -delay 1e3" "- extra" \
    "XSCREENSAVER_WINDOW=junk --root"; do
    read -r variable arguments <<<"$case"
    [ "$variable" = - ] && variable=
    # shellcheck disable=SC2086
    DISPLAY= timeout "$patience" env $variable "$hack" $arguments >"$work/out.txt" 2>"$work/err.txt" </dev/null
    code=$?
    check "'$case': exit code 1 before any display is opened" test $code -eq 1
    check "'$case': one line, then the usage" test "$(sed -n 2p "$work/err.txt" | head -c 6)" = usage:
  done
  check "no display: says to set DISPLAY" grep -q 'DISPLAY is not set: .* DISPLAY=:0$' <<<"$(DISPLAY= "$hack" 2>&1)"

  # Run in the foreground, bounded: a window that cannot be drawn on is refused, not hung on.
  for case in "- --window-id 0x7fffff0" "XSCREENSAVER_WINDOW=0x7fffff0 --root"; do
    read -r variable arguments <<<"$case"
    [ "$variable" = - ] && variable=
    # shellcheck disable=SC2086
    timeout "$patience" env $variable "$hack" $arguments >"$work/out.txt" 2>"$work/err.txt" </dev/null
    code=$?
    check "'$case': exit code 1" test $code -eq 1
    check "'$case': one line on stderr" test "$(grep -c . "$work/err.txt")" -eq 1
    check "'$case': no window of its own" test -z "$(own_window)"
  done

  use_new_display 320x240x8  # a display whose only visuals have no OpenGL
  make_host 200 100 0 default
  launch --window-id "$host"
  wait_for_hack
  check "a window whose visual has no OpenGL: exit code 1" test "$code" = 1
  check "... with one line on stderr" test "$(grep -c . "$hack_log")" -eq 1
}

# The settings' "High" frame rate is one the eye can use, not a loop drawing without a pause.
scenario_settings_bound_the_frame_rate() {
  local slider end
  slider=$(tr '\n' ' ' <"$(dirname "$0")/../../x11/vellumir.xml" | grep -o '<number id="delay"[^>]*>')
  check "the frame-rate slider's fastest end waits 10 ms or more" \
    test "$(sed -n 's/.* low="\([0-9]*\)".*/\1/p' <<<"$slider")" -ge 10000
  slider=$(tr '\n' ' ' <"$(dirname "$0")/../../x11/vellumir.xml" | grep -o '<number id="cpu"[^>]*>')
  for end in low high default; do
    check "the processor-time slider's $end is a budget the hack takes" \
      "$hack" --cpu "$(sed -n "s/.* $end=\"\([0-9]*\)\".*/\1/p" <<<"$slider")" --version
  done
  check "... its high end draws every frame" grep -q ' high="100"' <<<"$slider"
}

# --- the real daemon ------------------------------------------------------------------------

scenario_daemon() {
  # XScreenSaver will not run hacks as root, so the daemon runs as nobody, which only root can do.
  [ "$(id -u)" = 0 ] || { echo "skipped: running the daemon as another user takes root"; exit 77; }
  # The daemon has a HOME of its own holding its settings and the hack, installed as a user would.
  # The settings name the hack by its path: the daemon looks in its own folder of hacks first,
  # where an installed package would put another vellumir.
  home=$work/home
  local prefix=$home/prefix
  "$cmake" --install "$build" --prefix "$prefix" --strip >/dev/null
  check "the install holds the hack, its entry, description and manual page, the Wayland saver and its page, and nothing else" \
    test "$(cd "$prefix" && find . -type f | LC_ALL=C sort | tr '\n' ' ')" = \
    "./bin/vellumir-wayland ./libexec/xscreensaver/vellumir ./share/applications/screensavers/vellumir.desktop ./share/man/man6/vellumir-wayland.6 ./share/man/man6/vellumir.6x ./share/xscreensaver/config/vellumir.xml "
  hacks=$prefix/libexec/xscreensaver
  check "the installed hack is stripped" bash -c "! readelf -S '$hacks/vellumir' | grep -qF .symtab"
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
programs: GL: $hacks/vellumir --root \n
SETTINGS
  chmod -R a+rX "$home"

  as_daemon_user xscreensaver --no-splash --verbose </dev/null >"$work/daemon.log" 2>&1 &
  pids+=($!)
  check "the daemon answers" eventually daemon_answers
  as_daemon_user xscreensaver-command -activate >/dev/null 2>&1
  check "-activate runs the hack" eventually daemon_runs_hack
  check "-activate: the lattice covers the whole screen" eventually shows_covered root "$work/daemon.ppm"
  as_daemon_user xscreensaver-command -deactivate >/dev/null 2>&1
  check "-deactivate ends the hack" eventually eval '! daemon_runs_hack'
  as_daemon_user xscreensaver-command -exit >/dev/null 2>&1
  [ "$failures" -eq 0 ] || { echo "daemon log:"; tail -n 20 "$work/daemon.log"; }
}

as_daemon_user() { runuser -u nobody -- env HOME="$home" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" "$@"; }
daemon_answers() { as_daemon_user xscreensaver-command -time >/dev/null 2>&1; }
daemon_runs_hack() { runs_program "HOME=$home" "$hacks/vellumir"; }  # run from our install

# --- dispatch ------------------------------------------------------------------------------

declare -F "scenario_$name" >/dev/null || { echo "no scenario '$name'"; exit 2; }
use_new_display "${screen_width}x${screen_height}x24"
"scenario_$name"
echo "$failures failed"
test "$failures" -eq 0
