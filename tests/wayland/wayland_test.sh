#!/usr/bin/env bash
# The Wayland saver under sway, phoc and KWin (the layer shell), cage, Weston and Mutter (a
# full-screen toplevel), run headless in a runtime folder of their own, as nobody when we are root
# (sway refuses root).
#   wayland_test.sh NAME PROGRAM VIRTUAL_POINTER HACK FAKE_INPUT DOCS
# runs scenario_NAME (PROGRAM: any build; DOCS: docs/wayland.md, whose recipes it runs). Each
# scenario prints its checks and exits non-zero when one fails, 77 when it cannot run here.
set -u
name=$1 hack=$4 docs=$6
# The recipes' ending command ends every saver it sees, and other runs may share the machine:
# that scenario runs in a process namespace of its own, where it sees only its own.
if [ "$name" = sway_recipe_ends_it ] && [ -z "${VELLUMIR_OWN_PROCESSES:-}" ]; then
  own_users=()
  [ "$(id -u)" = 0 ] || own_users=(--user --map-current-user)
  namespace=(unshare "${own_users[@]}" --pid --fork --kill-child --mount-proc)
  "${namespace[@]}" true 2>/dev/null || { echo "skipped: no process namespace can be made here"; exit 77; }
  VELLUMIR_OWN_PROCESSES=1 exec "${namespace[@]}" "$0" "$@"
fi
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
# nobody may not enter the build; the saver is started by name from here, as the recipes do.
cp "$2" "$work/vellumir-wayland" && cp "$3" "$work/virtual_pointer" && cp "$5" "$work/fake_input"
socket= swaysock= bus= compositor= input= remote=

# Everything of this run carries its runtime folder, so that is how it is found and ended.
cleanup() {
  [ -n "$input" ] && exec {input}>&-
  [ -n "$remote" ] && exec {remote}>&-
  kill -KILL $(processes_with "XDG_RUNTIME_DIR=$runtime") ${xvfb_pid:-} 2>/dev/null
  wait 2>/dev/null; rm -rf "$work"
}
trap cleanup EXIT

# In the background (a subshell) it becomes the command, so $! is the program itself and its exit
# code comes back: setpriv and env execute what they run.
as_user() {
  local command=("${become_user[@]}" env -i HOME="$home" XDG_RUNTIME_DIR="$runtime" PATH="$work:/usr/bin:/bin"
    ${socket:+WAYLAND_DISPLAY=$socket} ${swaysock:+SWAYSOCK=$swaysock} ${bus:+DBUS_SESSION_BUS_ADDRESS=$bus} "$@")
  [ "$BASH_SUBSHELL" -gt 0 ] && exec "${command[@]}"
  "${command[@]}"
}

needs() { command -v "$1" >/dev/null || { echo "skipped: $1 is not installed"; exit 77; }; }

start_sway() {  # configuration lines
  needs sway
  printf '%s\n' "xwayland disable" "$@" >"$work/sway.conf"
  as_user WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$work/sway.conf" </dev/null >"$work/sway.log" 2>&1 &
  compositor=sway compositor_pid=$! frame="640 480"
  eventually sway_answers || { echo "sway did not start: $(tail -n 3 "$work/sway.log")"; exit 1; }
}
sway_answers() {
  socket=$(cd "$runtime" && ls wayland-[0-9] 2>/dev/null | head -n 1) swaysock=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null)
  [ -n "$socket" ] && [ -n "$swaysock" ] && as_user swaymsg -t get_outputs >/dev/null 2>&1
}

# phoc (Phosh's) and cage: wlroots, one headless output, no seat until a virtual device joins.
start_wlroots() {  # compositor, then its command line
  needs "$1"
  as_user WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "$@" </dev/null >"$work/$1.log" 2>&1 &
  compositor=$1 compositor_pid=$! socket=wayland-0
  eventually test -S "$runtime/$socket" || { echo "$1 did not start: $(tail -n 3 "$work/$1.log")"; exit 1; }
}
start_phoc() {  # it ends with the command it runs
  printf '%s\n' "[core]" "xwayland=false" "[output:HEADLESS-1]" "mode=640x480" >"$work/phoc.ini"
  start_wlroots phoc -C "$work/phoc.ini" -E "sleep infinity" && frame="640 480"
}

start_weston() {  # options
  needs weston
  socket=weston-test
  as_user weston --backend=headless-backend.so --use-pixman --width=640 --height=480 --socket=$socket \
    --debug "$@" </dev/null >"$work/weston.log" 2>&1 &
  compositor=weston compositor_pid=$! && eventually test -S "$runtime/$socket"
}

# Mutter and KWin each run in a session bus of their own: its address and their pid go to files.
start_with_bus() {  # compositor, socket, command line
  needs "$1"
  compositor=$1 socket=$2
  as_user dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0/bus" && echo $$ >"$0/pid" && exec "$@"' \
    "$runtime" "${@:3}" </dev/null >"$work/$1.log" 2>&1 &
  eventually test -S "$runtime/$socket" || { echo "$1 did not start: $(tail -n 3 "$work/$1.log")"; exit 1; }
  bus=$(cat "$runtime/bus") compositor_pid=$(cat "$runtime/pid")
}
start_mutter() {
  start_with_bus mutter mutter-test mutter --headless --wayland --no-x11 --virtual-monitor 640x480 --wayland-display mutter-test
}
# Two outputs side by side, Virtual-0 and Virtual-1, 800 x 600 at scale 1.25: 1000 x 750 pixels each.
start_kwin() {
  # The package's binary carries a file capability that a container may not grant; a copy has none.
  needs kwin_wayland && needs kscreen-doctor && cp "$(command -v kwin_wayland)" "$work/kwin_wayland"
  start_with_bus kwin_wayland kwin-test env LIBGL_ALWAYS_SOFTWARE=1 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 \
    KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 "$work/kwin_wayland" --virtual --no-lockscreen --no-global-shortcuts \
    --no-kactivities --socket kwin-test --width 800 --height 600 --output-count 2 --scale 1.25
  compositor=kwin input_device=fake_input frame=
}
kscreen() { as_user QT_QPA_PLATFORM=wayland kscreen-doctor "$@" >/dev/null 2>&1; }  # settings

launch() {  # arguments: runs the saver, by name as the recipes do, with its protocol traced when $trace is set
  saver_log=$work/saver-$RANDOM.log
  as_user ${trace:+WAYLAND_DEBUG=client} vellumir-wayland "$@" </dev/null >"$saver_log" 2>&1 & saver_pid=$!
}
saver_runs() { kill -0 "$saver_pid" 2>/dev/null; }
saver_ended() { ! saver_runs; }
wait_for_saver() {  # sets $code to its exit code, or to "running" if it outlasts the patience
  code=running
  eventually saver_ended && { wait "$saver_pid"; code=$?; }
}
stop_saver() { kill -TERM "$saver_pid" && wait_for_saver; }

shot() {  # output file: a picture of that output
  case $compositor in
    kwin) as_user timeout 10 python3 -c "$kwin_screenshot" "$1" >"$2" 2>/dev/null ;;
    weston)  # one output, and its tool writes a file of its own naming in its folder
      rm -f "$shots"/*.png
      as_user sh -c "cd $shots && timeout 10 weston-screenshooter" >/dev/null 2>&1 && mv "$shots"/*.png "$2" ;;
    *) as_user grim -t ppm -o "$1" - >"$2" 2>/dev/null ;;
  esac
}
# KWin's screenshot interface writes the output's pixels, 32 bits each, into a pipe we pass it.
kwin_screenshot='import os, sys
from gi.repository import Gio, GLib
read, write = os.pipe()
descriptors = Gio.UnixFDList.new()
index = descriptors.append(write)
os.close(write)
reply, _ = Gio.bus_get_sync(Gio.BusType.SESSION).call_with_unix_fd_list_sync("org.kde.KWin",
  "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureScreen", GLib.Variant("(sa{sv}h)",
  (sys.argv[1], {"native-resolution": GLib.Variant("b", True)}, index)), None, 0, -1, descriptors, None)
descriptors = None
image = reply.unpack()[0]
width, height, stride = image["width"], image["height"], image["stride"]
with os.fdopen(read, "rb") as pipe:
  data = pipe.read()
rows = b"".join(data[row * stride:row * stride + width * 4] for row in range(height))
rgb = bytearray(width * height * 3)
rgb[0::3], rgb[1::3], rgb[2::3] = rows[2::4], rows[1::4], rows[0::4]  # blue, green, red, alpha
sys.stdout.buffer.write(b"P6 %d %d 255\n" % (width, height) + rgb)'
# An output with nothing on it is one uniform grey that is bright enough to pass for covered.
shows_covered() {  # output file
  shot "$1" "$2" && covered "$2" && [ "$(convert "$2" -format '%[fx:standard_deviation > 0.05]' info:)" = 1 ]
}
shown_on() { shows_covered "$1" "$work/shown.ppm"; }  # output
moving() {  # output: covered, and changing from one picture to the next
  local output=$1 first=$work/$1-first.ppm later=$work/$1-later.ppm
  eventually shows_covered "$output" "$first" &&
    eventually eval 'shows_covered "$output" "$later" && differs "$first" "$later"'
}
throughout() {  # command: true if it holds every half second for five seconds
  local round
  for round in $(seq 10); do
    "$@" || return 1
    sleep 0.5
  done
}

# A command for the virtual pointer (wlroots) or KWin's fake input, which stay one device for the
# whole scenario. The virtual pointer's positions are in a frame the size of the outputs, KWin's
# in its layout.
input_device=virtual_pointer frame=
input() {
  [ -n "$input" ] || exec {input}> >(as_user "$input_device")
  echo "$*" >&"$input"
}
move_to() { input to "$1" "$2" $frame; }  # x y
press_key() {
  case $compositor in
    kwin) input key 30 ;;  # A
    mutter) eventually grep -q 'wl_keyboard@[0-9]*\.enter(' "$saver_log" && mutter_remote key ;;  # once the keys go to it
    *) as_user wtype -s 1000 a ;;  # time for the saver to take the new keyboard
  esac
}
keep_busy() { if [ "$compositor" = mutter ]; then mutter_remote key; else move_to 1 1 && move_to 2 2; fi; }

# What it asked of the compositor, from its protocol trace.
requests() { grep -c -- "-> .*$1" "$saver_log"; }  # request: how many times it was made
attached_sizes() {  # [request]: the buffer each surface shows (the last attached after that request), sorted
  awk -v after="${1-}" 'after == "" || index($0, after) { seen = 1 }
    /create_buffer\(new id/ { split($0, a, /wl_buffer@|, /); size[a[2] + 0] = a[4] "x" a[5] }
    seen && /-> wl_surface@[0-9]+\.attach\(wl_buffer@/ {
      split($0, b, /wl_surface@|\.attach\(wl_buffer@/); shown[b[2] + 0] = size[b[3] + 0] }
    /-> wl_surface@[0-9]+\.destroy\(\)/ { split($0, c, /wl_surface@|\.destroy/); delete shown[c[2] + 0] }
    END { for (surface in shown) print shown[surface] }' "$saver_log" | sort | paste -sd ' '
}
shows_sizes() {  # sizes [request]: eventually those of attached_sizes
  local sizes=$1 after=${2-}
  eventually eval 'test "$(attached_sizes "$after")" = "$sizes"'
}

scenario_sway_outputs() {
  start_sway "output HEADLESS-1 resolution 640x480 position 0 0" "output HEADLESS-2 resolution 480x360 position 640 0"
  trace=1 launch --rows 40
  check "one output: covered and moving" moving HEADLESS-1
  as_user swaymsg output HEADLESS-1 scale 2 >/dev/null
  check "scale 2: the buffer follows, 640 x 480 for 320 x 240" shows_sizes 640x480 "set_buffer_scale(2)"
  as_user swaymsg output HEADLESS-1 scale 1 >/dev/null
  as_user swaymsg create_output >/dev/null
  check "an output added while it runs: covered and moving" moving HEADLESS-2
  check "... and the first one still is" moving HEADLESS-1
  stop_saver
  check "SIGTERM ends it, not by a crash ($code)" test "$code" = 0 -o "$code" = 143

  launch
  check "two outputs from the start: both covered and moving" eval 'moving HEADLESS-1 && moving HEADLESS-2'
}

# Each ending on a saver of its own, with the pointer at X, Y when it comes: a key, a click, a
# touch there (KWin), or a movement to 30 pixels away on one axis, which must not end it, then to 31.
endings_end_it() {  # output, then endings: "X Y key", "X Y click", "X Y touch" or "X Y NEAR_X NEAR_Y FAR_X FAR_Y"
  local output=$1 ending x y what near_y far_x far_y
  for ending in "${@:2}"; do
    read -r x y what near_y far_x far_y <<<"$ending"
    move_to "$x" "$y"
    launch
    eventually shown_on "$output"
    case $what in
      key) press_key ;;
      click) input click ;;
      touch) input touch "$x" "$y" ;;
      *) move_to "$what" "$near_y"
        # Frames drawn after the movement come after the saver took it in.
        check "to $what, $near_y: it keeps drawing, and running" eval 'moving "$output" && saver_runs'
        move_to "$far_x" "$far_y" ;;
    esac
    wait_for_saver
    check "'$ending' ends it with exit code 0" test "$code" = 0
    [ "$code" = running ] && kill -KILL "$saver_pid"
  done
}
scenario_sway_input_ends_it() {
  start_sway "output HEADLESS-1 resolution 640x480"
  endings_end_it HEADLESS-1 "320 240 key" "320 240 click" "320 240 350 240 351 240" "320 240 320 210 320 209"
}

compositor_killed_under_it() {
  kill -KILL "$compositor_pid"
  local start=$SECONDS
  wait_for_saver
  check "$compositor gone: exit code 1 ($code)" test "$code" = 1
  check "... within 5 s" test $((SECONDS - start)) -le 5
  check "... with a message that says so" grep -q '^vellumir-wayland: .*compositor' "$saver_log"
}
scenario_sway_killed_under_it() {
  start_sway "output HEADLESS-1 resolution 640x480"
  launch
  eventually shown_on HEADLESS-1
  compositor_killed_under_it
}

# --idle 2: nothing while the user is busy, the saver once idle, gone on a key, back when idle again.
idle_comes_and_goes() {  # shown-test
  local shown=("$@")
  # Busy on both sides of each look, which may take a while on a loaded machine.
  check "--idle 2: nothing shown while the user is busy" throughout eval 'keep_busy && ! "${shown[@]}" && keep_busy'
  check "--idle 2: the saver after 2 idle seconds" eventually "${shown[@]}"
  press_key
  check "--idle 2: a key ends the saver" eventually eval '! "${shown[@]}"'
  check "--idle 2: and it runs on" saver_runs
  check "--idle 2: the saver again after the next idle time" eventually "${shown[@]}"
}
scenario_sway_idle() {
  start_sway "output HEADLESS-1 resolution 640x480"
  launch --idle 2
  idle_comes_and_goes shown_on HEADLESS-1
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
  check "Mutter: its buffer covers the 640 x 480 monitor" shows_sizes 640x480 set_fullscreen
  stop_saver
  trace=1 launch --idle 2
  idle_comes_and_goes mutter_saver_shown
}
mutter_saver_shown() { [ "$(requests get_toplevel)" -gt "$(requests 'xdg_toplevel@[0-9]*\.destroy()')" ]; }

# GNOME's overview takes the keys that would reach the saver's windows: activity the saver does
# not see as input of its own still ends it, and the next idle time shows it again. Here a
# pointer that trembles by a pixel over it, through Mutter's remote desktop.
scenario_mutter_activity_elsewhere() {
  start_mutter
  trace=1 launch --idle 2
  check "--idle 2: the saver after 2 idle seconds" eventually mutter_saver_shown
  check "the user active, though not on its windows: the saver goes" eventually eval \
    'mutter_remote tremble && requests "xdg_toplevel@[0-9]*\.destroy()" >/dev/null'
  check "... and comes again after the next idle time" eventually eval '[ "$(requests get_toplevel)" -ge 2 ]'
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
  frame="1280 480"  # both outputs
  move_to 639 240
  launch
  check "two outputs covered" eval 'moving HEADLESS-1 && moving HEADLESS-2'
  local x
  for x in 639 640 639 640; do move_to "$x" 240; done
  check "a pixel to and fro across the border: it keeps drawing, and running" eval 'moving HEADLESS-2 && saver_runs'
  move_to 700 240
  wait_for_saver
  check "60 pixels on, over the other screen: it ends with exit code 0" test "$code" = 0
}

# Mutter's remote desktop, one session for the whole scenario, so one keyboard and one pointer:
#   key       Shift pressed and released
#   tremble   the pointer one pixel there and back
mutter_remote() {  # what to do
  [ -n "$remote" ] || exec {remote}> >(as_user /usr/bin/python3 -c 'import sys
from gi.repository import Gio, GLib
bus, name = Gio.bus_get_sync(Gio.BusType.SESSION), "org.gnome.Mutter.RemoteDesktop"
call = lambda path, interface, method, args=None: bus.call_sync(name, path, interface, method, args, None, 0, -1, None)
session = call("/org/gnome/Mutter/RemoteDesktop", name, "CreateSession").unpack()[0]
call(session, name + ".Session", "Start")
gestures = {"key": [("NotifyKeyboardKeycode", GLib.Variant("(ub)", (42, pressed))) for pressed in (True, False)],
  "tremble": [("NotifyPointerMotionRelative", GLib.Variant("(dd)", (step, 0.0))) for step in (1.0, -1.0)]}
for line in sys.stdin:
  for method, args in gestures[line.strip()]: call(session, name + ".Session", method, args)')
  echo "$1" >&"$remote"
}

# KWin: fractional scales through a viewport, outputs taken away and given back, and KWin gone;
# the pointer rests on the output that changes, and KWin moving it then is not the user.
scenario_kwin_outputs() {
  start_kwin
  move_to 1200 300  # the middle of Virtual-1
  trace=1 launch --rows 20
  check "scale 1.25: both outputs covered and moving" eval 'moving Virtual-0 && moving Virtual-1'
  check "... in 1000 x 750 pixels each" shows_sizes "1000x750 1000x750"
  kscreen output.Virtual-1.scale.1.5
  # 1000 / 1.5 makes a surface 667 wide, whose 1000.5 pixels round up.
  check "scale 1.5 on one output alone: 1001 x 750 there" shows_sizes "1000x750 1001x750"
  check "... where it covers and moves" moving Virtual-1
  kscreen output.Virtual-1.disable
  check "an output disabled: its surface goes" shows_sizes 1000x750
  check "... the other keeps moving, and it runs on" eval 'moving Virtual-0 && saver_runs'
  kscreen output.Virtual-1.enable
  check "enabled again: covered and moving" eval 'moving Virtual-1 && test "$(attached_sizes)" = "1000x750 1001x750"'
  compositor_killed_under_it
}

# The movement from 785 to 815 crosses from one output to the other: 30 pixels of the layout.
scenario_kwin_input_ends_it() {
  start_kwin
  endings_end_it Virtual-0 "400 300 key" "400 300 click" "1200 300 touch" "400 300 430 300 431 300" \
    "400 300 400 270 400 269" "785 300 815 300 816 300"
}

scenario_kwin_idle() {
  start_kwin
  trace=1 launch --idle 2
  check "--idle 2: it asks ext_idle_notifier_v1" eventually eval \
    'requests "ext_idle_notifier_v1@[0-9]*\.get_idle_notification" >/dev/null'
  idle_comes_and_goes shown_on Virtual-0
}

# phoc makes its seat only when a device joins.
scenario_phoc_layer_and_idle() {
  start_phoc
  launch
  check "phoc: covered and moving" moving HEADLESS-1
  stop_saver
  launch --idle 2
  check "--idle 2 before any input device: it waits, showing nothing" throughout eval \
    'saver_runs && ! shown_on HEADLESS-1'
  move_to 320 240
  check "--idle 2: the saver once the virtual pointer's seat has been idle 2 s" eventually shown_on HEADLESS-1
}

# cage shows one toplevel at a time, full screen on its one 1280 x 720 output.
scenario_cage_toplevel() {
  start_wlroots cage -- sleep infinity
  launch --rows 20
  check "cage: covered and moving" moving HEADLESS-1
  stop_saver
  trace=1 launch --rows 20 --idle 2
  check "--idle 2: the saver after 2 idle seconds" eventually shown_on HEADLESS-1
  check "... and it stays, one toplevel, while nobody touches anything" throughout eval \
    'test "$(requests get_toplevel)" = 1 && test "$(requests "xdg_toplevel@[0-9]*\.destroy()")" = 0'
}

# The recipes' ending command, taken from the page, against a saver started as swayidle starts
# it, and beside swayidle itself, whose command line holds the same words.
scenario_sway_recipe_ends_it() {
  local endings ending idle
  endings=$(awk '/^```/ { code = !code; next } code' "$docs" | grep -o "pkill[^;'\"]*" | sort -u)
  check "the recipes end the saver one way: $endings" test "$(grep -c . <<<"$endings")" = 1
  ending=$(head -n 1 <<<"$endings")
  start_sway "output HEADLESS-1 resolution 640x480"
  as_user swayidle -w timeout 300 vellumir-wayland timeout 600 "$ending; swaylock -f" >/dev/null 2>&1 & idle=$!
  launch && eventually shown_on HEADLESS-1
  as_user sh -c "$ending"
  wait_for_saver
  check "'$ending' ends the saver as SIGTERM does ($code)" test "$code" = 143
  check "... and spares swayidle" kill -0 "$idle" 2>/dev/null
}

declare -F "scenario_$name" >/dev/null || { echo "no scenario '$name'"; exit 2; }
"scenario_$name"
echo "$failures failed"
test "$failures" -eq 0
