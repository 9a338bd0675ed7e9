#!/usr/bin/env bash
# The Wayland saver under sway (the layer shell), Weston and Mutter (a full-screen toplevel), run
# headless in a runtime folder of their own, as nobody when we are root (sway refuses root).
#   wayland_test.sh NAME PROGRAM VIRTUAL_POINTER HACK   runs scenario_NAME (PROGRAM: any build)
# Each scenario prints its checks and exits non-zero when one fails, 77 when it cannot run here.
set -u
name=$1 hack=$4
. "$(dirname "$0")/../harness.sh"
work=$(mktemp -d)
runtime=$work/runtime home=$work/home shots=$work/shots
mkdir -m 700 "$runtime" && mkdir "$home" "$shots" && chmod 755 "$work"
become_user=()
if [ "$(id -u)" = 0 ]; then
  id nobody >/dev/null 2>&1 || { echo "skipped: no unprivileged user to run the compositors as"; exit 77; }
  chown nobody: "$runtime" "$home" "$shots"
  become_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
fi
program=$work/vellumir-wayland virtual_pointer=$work/virtual_pointer  # nobody may not enter the build
cp "$2" "$program" && cp "$3" "$virtual_pointer"
socket= swaysock= bus= compositor= pointer= keyboard=

# Everything of this run carries its runtime folder, so that is how it is found and ended.
cleanup() {
  [ -n "$pointer" ] && exec {pointer}>&-
  [ -n "$keyboard" ] && exec {keyboard}>&-
  kill -KILL $(processes_with "XDG_RUNTIME_DIR=$runtime") ${xvfb_pid:-} 2>/dev/null
  wait 2>/dev/null; rm -rf "$work"
}
trap cleanup EXIT

# In the background (a subshell) it becomes the command, so $! is the program itself and its exit
# code comes back: setpriv and env execute what they run.
as_user() {
  local command=("${become_user[@]}" env -i HOME="$home" XDG_RUNTIME_DIR="$runtime" PATH=/usr/bin:/bin
    ${socket:+WAYLAND_DISPLAY=$socket} ${swaysock:+SWAYSOCK=$swaysock} ${bus:+DBUS_SESSION_BUS_ADDRESS=$bus} "$@")
  [ "$BASH_SUBSHELL" -gt 0 ] && exec "${command[@]}"
  "${command[@]}"
}

start_sway() {  # configuration lines
  printf '%s\n' "xwayland disable" "$@" >"$work/sway.conf"
  as_user WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$work/sway.conf" </dev/null >"$work/sway.log" 2>&1 &
  compositor=sway compositor_pid=$!
  eventually sway_answers || { echo "sway did not start: $(tail -n 3 "$work/sway.log")"; exit 1; }
}
sway_answers() {
  socket=$(cd "$runtime" && ls wayland-[0-9] 2>/dev/null | head -n 1) swaysock=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null)
  [ -n "$socket" ] && [ -n "$swaysock" ] && as_user swaymsg -t get_outputs >/dev/null 2>&1
}

start_weston() {  # options
  socket=weston-test
  as_user weston --backend=headless-backend.so --use-pixman --width=640 --height=480 --socket=$socket \
    --debug "$@" </dev/null >"$work/weston.log" 2>&1 &
  compositor=weston compositor_pid=$! && eventually test -S "$runtime/$socket"
}

start_mutter() {  # its session bus address goes to a file, for the clients that use it
  socket=mutter-test
  as_user dbus-run-session -- sh -c "echo \"\$DBUS_SESSION_BUS_ADDRESS\" >$runtime/bus; exec mutter --headless \
    --wayland --no-x11 --virtual-monitor 640x480 --wayland-display $socket" </dev/null >"$work/mutter.log" 2>&1 &
  compositor=mutter compositor_pid=$! && eventually test -S "$runtime/$socket" && bus=$(cat "$runtime/bus")
}

launch() {  # arguments: runs the saver, with its protocol traced when $trace is set
  saver_log=$work/saver-$RANDOM.log
  as_user ${trace:+WAYLAND_DEBUG=client} "$program" "$@" </dev/null >"$saver_log" 2>&1 & saver_pid=$!
}
saver_ended() { ! kill -0 "$saver_pid" 2>/dev/null; }
wait_for_saver() {  # sets $code to its exit code, or to "running" if it outlasts the patience
  code=running
  eventually saver_ended && { wait "$saver_pid"; code=$?; }
}

shot() {  # output file: a picture of that output
  if [ "$compositor" = sway ]; then
    as_user grim -t ppm -o "$1" - >"$2" 2>/dev/null
  else  # Weston's has one output, and its tool writes a file of its own naming in its folder
    rm -f "$shots"/*.png
    as_user sh -c "cd $shots && timeout 10 weston-screenshooter" >/dev/null 2>&1 && mv "$shots"/*.png "$2"
  fi
}
# An output with nothing on it is one uniform grey that is bright enough to pass for covered.
shows_covered() {  # output file
  shot "$1" "$2" && covered "$2" && [ "$(convert "$2" -format '%[fx:standard_deviation > 0.05]' info:)" = 1 ]
}
moving() {  # output: covered, and changing from one picture to the next
  local output=$1 first=$work/$1-first.ppm later=$work/$1-later.ppm
  eventually shows_covered "$output" "$first" &&
    eventually eval 'shows_covered "$output" "$later" && differs "$first" "$later"'
}

pointer() {  # a command for the virtual pointer, which stays one device for the whole scenario
  [ -n "$pointer" ] || exec {pointer}> >(as_user "$virtual_pointer")
  echo "$*" >&"$pointer"
}

# What it asked of the compositor, from its protocol trace.
requests() { grep -c -- "-> .*$1" "$saver_log"; }  # request: how many times it was made
last_buffer_after() {  # request: the size of the first buffer attached after that request
  awk -v after="$1" 'index($0, after) { seen = 1 }
    /create_buffer\(new id/ { split($0, a, /wl_buffer@|, /); size[a[2] + 0] = a[4] "x" a[5] }
    seen && /wl_surface@.*\.attach\(wl_buffer@/ { split($0, b, /wl_buffer@/); print size[b[2] + 0]; exit }' "$saver_log"
}

scenario_sway_outputs() {
  start_sway "output HEADLESS-1 resolution 640x480 position 0 0" "output HEADLESS-2 resolution 480x360 position 640 0"
  trace=1 launch --rows 40
  check "one output: covered and moving" moving HEADLESS-1
  as_user swaymsg output HEADLESS-1 scale 2 >/dev/null
  check "scale 2: the buffer follows, 640 x 480 for 320 x 240" eventually eval \
    'test "$(last_buffer_after "set_buffer_scale(2)")" = 640x480'
  as_user swaymsg output HEADLESS-1 scale 1 >/dev/null
  as_user swaymsg create_output >/dev/null
  check "an output added while it runs: covered and moving" moving HEADLESS-2
  check "... and the first one still is" moving HEADLESS-1
  kill -TERM "$saver_pid"
  wait_for_saver
  check "SIGTERM ends it, not by a crash ($code)" test "$code" = 0 -o "$code" = 143

  launch
  check "two outputs from the start: both covered and moving" eval 'moving HEADLESS-1 && moving HEADLESS-2'
}

# Each ending on a saver of its own. A movement goes from where the pointer first stood over it
# (320, 240) to 30 pixels away on one axis, which must not end it, then to 31.
scenario_sway_input_ends_it() {
  start_sway "output HEADLESS-1 resolution 640x480"
  local ending
  for ending in key click "350 240 351 240" "320 210 320 209"; do
    pointer to 320 240 640 480
    launch
    eventually shows_covered HEADLESS-1 "$work/before.ppm"
    case $ending in
      key) as_user wtype -s 1000 a ;;  # time for the saver to take the new keyboard
      click) pointer click ;;
      *) local x y far_x far_y
        read -r x y far_x far_y <<<"$ending"
        pointer to 320 240 640 480 && pointer to "$x" "$y" 640 480
        # Frames drawn after the movement come after the saver took it in.
        check "to $x, $y: it keeps drawing, and running" eval 'moving HEADLESS-1 && kill -0 "$saver_pid"'
        pointer to "$far_x" "$far_y" 640 480 ;;
    esac
    wait_for_saver
    check "'$ending' ends it with exit code 0" test "$code" = 0
    [ "$code" = running ] && kill -KILL "$saver_pid"
  done
}

scenario_sway_killed_under_it() {
  start_sway "output HEADLESS-1 resolution 640x480"
  launch
  eventually shows_covered HEADLESS-1 "$work/before.ppm"
  kill -KILL "$compositor_pid"
  local start=$SECONDS
  wait_for_saver
  check "the compositor gone: exit code 1 ($code)" test "$code" = 1
  check "... within 5 s" test $((SECONDS - start)) -le 5
  check "... with a message that says so" grep -q compositor "$saver_log"
}

# --idle: nothing while the seat is busy, the saver once idle, gone on a key, back when idle again.
scenario_sway_idle() {
  start_sway "output HEADLESS-1 resolution 640x480"
  launch --idle 2
  check "--idle 2: nothing drawn while the user is busy" stays_hidden sway_saver_drawn
  check "--idle 2: the saver after 2 idle seconds" eventually sway_saver_drawn
  as_user wtype -s 1000 a
  check "--idle 2: a key ends the saver" eventually eval '! sway_saver_drawn'
  check "--idle 2: and it stays running" kill -0 "$saver_pid"
  check "--idle 2: the saver again after the next idle time" eventually sway_saver_drawn
}
sway_saver_drawn() { shows_covered HEADLESS-1 "$work/idle.ppm"; }

stays_hidden() {  # drawn-test: five seconds of input; the saver may not show meanwhile
  local round
  for round in $(seq 10); do
    if [ "$compositor" = sway ]; then pointer to 1 1 640 480; pointer to 2 2 640 480; else mutter_key; fi
    ! "$1" || return 1
    sleep 0.5
  done
}

# The same options, the same picture as the hack's, but for the seed, which both take from the
# clock: the lattice's rows and lighting show in how much neighbouring pixels differ. Across
# seeds that varies by 10 % at most for the hack; half or twice the rows moves it by 40 % or more.
scenario_picture_is_the_hacks() {
  start_sway "output HEADLESS-1 resolution 640x480"
  launch --mode 3 --rows 40
  check "sway: covered" eventually shows_covered HEADLESS-1 "$work/wayland.ppm"
  start_xvfb 640x480x24 "$work/xvfb.log" || exit 1
  DISPLAY=$display "$hack" --root --mode 3 --rows 40 >/dev/null 2>&1 &
  check "Xvfb: covered" eventually eval 'DISPLAY=$display import -window root "PPM:$work/x11.ppm" 2>/dev/null &&
    covered "$work/x11.ppm"'
  local roll
  for roll in +1+0 +0+1; do
    check "neighbours $roll differ as much as the hack's, within 20 %" awk -v w="$(detail "$work/wayland.ppm" "$roll")" \
      -v x="$(detail "$work/x11.ppm" "$roll")" 'BEGIN { exit !(w > 0.8 * x && w < 1.2 * x) }'
  done
}
detail() { convert "$1" \( +clone -roll "$2" \) -compose difference -composite -format '%[fx:mean]' info:; }

# Weston puts its outputs to sleep after the idle time and withholds frame callbacks meanwhile.
scenario_weston_toplevel_and_sleep() {
  start_weston --idle-time=12 && launch
  check "Weston: the toplevel covers the output and moves" moving weston
  local drawing asleep
  drawing=$(cpu_ticks_over 2)
  check "outputs asleep: its CPU time falls to a tenth or less" eventually eval \
    '[ "$(cpu_ticks_over 1)" -le $((drawing / 20)) ]'
  asleep=$(cpu_ticks_over 3)
  check "... and stays flat over 3 s ($asleep ticks against $drawing in 2 s while drawing)" \
    test "$drawing" -ge 20 -a "$asleep" -le $((drawing * 3 / 20))
  launch --idle 2
  wait_for_saver
  check "--idle where the compositor tells no idle time: it ends, naming swayidle" eval \
    '[ "$code" != running ] && grep -q swayidle "$saver_log"'
}
cpu_ticks_over() {  # seconds: the saver's CPU time over that many seconds, in clock ticks
  local before
  before=$(awk '{ print $14 + $15 }' "/proc/$saver_pid/stat") && sleep "$1"
  echo $(($(awk '{ print $14 + $15 }' "/proc/$saver_pid/stat") - before))
}

# Mutter shows no pictures to a client, so its trace shows what it did; keys come through
# Mutter's remote desktop, which also counts as the user being busy.
scenario_mutter_toplevel_and_idle() {
  start_mutter
  trace=1 launch
  check "Mutter: a full-screen toplevel, app id vellumir, title Vellumir" eventually eval \
    'requests "set_fullscreen(wl_output@" >/dev/null && requests "set_app_id(\"vellumir\")" >/dev/null &&
     requests "set_title(\"Vellumir\")" >/dev/null'
  check "Mutter: its buffer covers the 640 x 480 monitor" eventually eval \
    'test "$(last_buffer_after set_fullscreen)" = 640x480'
  kill -TERM "$saver_pid" && wait_for_saver
  trace=1 launch --idle 2
  check "--idle 2: no surface while the user is busy" stays_hidden mutter_saver_drawn
  check "--idle 2: the saver after 2 idle seconds" eventually mutter_saver_drawn
  eventually grep -q 'wl_keyboard@[0-9]*\.enter(' "$saver_log" && mutter_key  # once the keys go to it
  check "--idle 2: a key ends the saver" eventually eval 'requests "xdg_toplevel@[0-9]*\.destroy()" >/dev/null'
  check "--idle 2: the saver again after the next idle time" eventually eval '[ "$(requests get_toplevel)" -ge 2 ]'
}
mutter_saver_drawn() { [ "$(requests get_toplevel)" -ge 1 ]; }

# GNOME's overview takes the keys that would reach the saver's windows: activity the saver does
# not see as input of its own still ends it, and the next idle time shows it again. Here a
# pointer that trembles by a pixel over it, through Mutter's remote desktop.
scenario_mutter_activity_elsewhere() {
  start_mutter
  trace=1 launch --idle 2
  check "--idle 2: the saver after 2 idle seconds" eventually mutter_saver_drawn
  check "the user active, though not on its windows: the saver goes" eventually eval \
    'mutter_tremble && requests "xdg_toplevel@[0-9]*\.destroy()" >/dev/null'
  check "... and comes again after the next idle time" eventually eval '[ "$(requests get_toplevel)" -ge 2 ]'
}
mutter_tremble() {  # the pointer one pixel there and back, one remote desktop session throughout
  [ -n "${trembler:-}" ] || exec {trembler}> >(as_user /usr/bin/python3 -c 'import sys
from gi.repository import Gio, GLib
bus, name = Gio.bus_get_sync(Gio.BusType.SESSION), "org.gnome.Mutter.RemoteDesktop"
call = lambda path, interface, method, args=None: bus.call_sync(name, path, interface, method, args, None, 0, -1, None)
session = call("/org/gnome/Mutter/RemoteDesktop", name, "CreateSession").unpack()[0]
call(session, name + ".Session", "Start")
for line in sys.stdin:
  for step in 1.0, -1.0: call(session, name + ".Session", "NotifyPointerMotionRelative", GLib.Variant("(dd)", (step, 0.0)))')
  echo >&"$trembler"
}

# A stop signal while the compositor does not answer ends it at once: here in its first round
# trip, to a compositor that is stopped.
scenario_sway_stalled_compositor() {
  start_sway "output HEADLESS-1 resolution 640x480"
  kill -STOP "$compositor_pid"
  launch
  check "it connects to the stopped compositor" eventually eval 'ls -l "/proc/$saver_pid/fd" 2>/dev/null | grep -q socket:'
  kill -TERM "$saver_pid"
  wait_for_saver
  check "SIGTERM ends it, by the signal ($code)" test "$code" = 143
  kill -CONT "$compositor_pid"
}

# The same while GNOME's session bus does not answer the call for its idle monitor.
scenario_mutter_stalled_bus() {
  start_mutter
  kill -STOP $(processes_with "XDG_RUNTIME_DIR=$runtime" dbus-daemon)
  launch --idle 2
  check "it calls the stopped session bus" eventually eval \
    '[ "$(ls -l "/proc/$saver_pid/fd" 2>/dev/null | grep -c socket:)" -ge 2 ]'
  kill -TERM "$saver_pid"
  local start=$SECONDS
  wait_for_saver
  check "SIGTERM ends it, by the signal ($code), within 5 s" test "$code" = 143 -a $((SECONDS - start)) -le 5
  kill -CONT $(processes_with "XDG_RUNTIME_DIR=$runtime" dbus-daemon)
}

# The 30-pixel rule in the desktop's layout: a pointer resting on the border between two
# screens that trembles by a pixel from one to the other is not the user; a movement is.
scenario_sway_pointer_across_outputs() {
  start_sway "output HEADLESS-1 resolution 640x480 position 0 0" "output HEADLESS-2 resolution 640x480 position 640 0"
  as_user swaymsg create_output >/dev/null
  pointer to 639 240 1280 480
  launch
  check "two outputs covered" eval 'moving HEADLESS-1 && moving HEADLESS-2'
  local x
  for x in 639 640 639 640; do pointer to "$x" 240 1280 480; done
  check "a pixel to and fro across the border: it keeps drawing, and running" eval \
    'moving HEADLESS-2 && kill -0 "$saver_pid"'
  pointer to 700 240 1280 480
  wait_for_saver
  check "60 pixels on, over the other screen: it ends with exit code 0" test "$code" = 0
}

# Shift through Mutter's remote desktop: one session, so one keyboard, for the whole scenario.
mutter_key() {
  [ -n "$keyboard" ] || exec {keyboard}> >(as_user /usr/bin/python3 -c 'import sys
from gi.repository import Gio, GLib
bus, name = Gio.bus_get_sync(Gio.BusType.SESSION), "org.gnome.Mutter.RemoteDesktop"
call = lambda path, interface, method, args=None: bus.call_sync(name, path, interface, method, args, None, 0, -1, None)
session = call("/org/gnome/Mutter/RemoteDesktop", name, "CreateSession").unpack()[0]
call(session, name + ".Session", "Start")
for line in sys.stdin:
  for pressed in True, False: call(session, name + ".Session", "NotifyKeyboardKeycode", GLib.Variant("(ub)", (42, pressed)))')
  echo >&"$keyboard"
}

declare -F "scenario_$name" >/dev/null || { echo "no scenario '$name'"; exit 2; }
"scenario_$name"
echo "$failures failed"
test "$failures" -eq 0
