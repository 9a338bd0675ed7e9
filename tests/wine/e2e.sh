#!/usr/bin/env bash
# End-to-end scenarios of vellumir.scr under Wine on a private Xvfb display.
#   e2e.sh start   makes the display and a fresh Wine prefix (the session)
#   e2e.sh stop    ends everything in the session and removes it
#   e2e.sh NAME    runs scenario_NAME against the session
# Each scenario prints its checks and exits non-zero when one fails.
set -u
session=${E2E_SESSION:?}
binaries=${E2E_BINARIES:?}
fixtures=$binaries/tests/wine
. "$(dirname "$0")/../harness.sh"
screen_width=1280 screen_height=1024

start_session() {
  rm -rf "$session" && mkdir -p "$session/runs"
  start_xvfb "${screen_width}x${screen_height}x24" "$session/xvfb.log" || return 1
  echo "$xvfb_pid" >"$session/xvfb.pid"
  cat >"$session/env" <<ENV
export DISPLAY=$display WINEPREFIX=$session/prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
ENV
  . "$session/env"
  wineboot -i </dev/null >"$session/wineboot.log" 2>&1
  wineserver -w
  # A persistent server makes every later start quick. Wine's services (services.exe,
  # winedevice.exe, rpcss.exe...) are started now, writing to the session's log: left to the
  # first program of a scenario, they would inherit its output and live on with the server,
  # holding the case's output open after it ends, so ctest would wait for its timeout.
  wineserver -p </dev/null >/dev/null 2>&1
  wineboot </dev/null >>"$session/wineboot.log" 2>&1
  echo "session on $DISPLAY"
}

stop_session() {
  [ -f "$session/env" ] && . "$session/env" && wineserver -k 2>/dev/null
  [ -f "$session/xvfb.pid" ] && kill "$(cat "$session/xvfb.pid")" 2>/dev/null
  rm -rf "$session"
  return 0
}

# --- helpers -------------------------------------------------------------------------------

# A fresh folder holding the saver, and a fixture log the modules write to.
prepare_run() {
  run=$session/runs/$1
  rm -rf "$run" && mkdir -p "$run"
  cp "$binaries/vellumir.scr" "$run/"
  rm -f "$system32/PASSWORD.CPL" && cp "$session"/*.dll "$system32/" 2>/dev/null  # Wine's own modules back
  log=$run/fixture.log
  : >"$log"
  export VELLUMIR_FIXTURE_LOG="Z:$log"  # Wine maps / to drive Z:
  export VELLUMIR_PASSWORD_ANSWER=1
}

use_system_module() {  # fixture, its name in the system folder, where the saver takes it from
  [ -f "$system32/$2" ] && cp -n "$system32/$2" "$session/"
  cp "$fixtures/$1" "$system32/$2"
}

set_password_value() {  # reg add arguments after the value name, or "none"
  wine reg delete 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /f >/dev/null 2>&1
  [ "$1" = none ] || wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword "$@" /f >/dev/null 2>&1
}

launch() {  # starts the saver in the run folder with these arguments
  rm -f "$run/exit"
  (cd "$run" && wine ./vellumir.scr "$@" </dev/null >/dev/null 2>&1; echo $? >"$run/exit") &
}

launch_line() {  # starts the saver with exactly this command line, through the host
  rm -f "$run/exit"
  cp "$fixtures/host.exe" "$run/"
  printf '%s' "$1" >"$run/line.txt"
  (cd "$run" && wine ./host.exe run line.txt </dev/null >/dev/null 2>&1; echo $? >"$run/exit") &
}

saver_windows() { xdotool search --onlyvisible --classname vellumir.scr 2>/dev/null; }

wait_for_window() {  # prints the id of the visible saver window
  local id deadline=$((SECONDS + patience))
  while [ "$SECONDS" -lt "$deadline" ]; do
    id=$(saver_windows | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    [ -f "$run/exit" ] && return 1
    sleep 0.1
  done
  return 1
}

windows_until_exit() {  # watches until the saver ends; prints "yes" if a saver window showed
  local deadline=$((SECONDS + patience))
  while [ "$SECONDS" -lt "$deadline" ] && [ ! -f "$run/exit" ]; do
    [ -n "$(saver_windows)" ] && { echo yes; return; }
    sleep 0.1
  done
}

wait_for_exit() {  # [seconds, the patience if none]: prints the exit code, or "running"
  local deadline=$((SECONDS + ${1:-$patience}))
  until [ -f "$run/exit" ]; do
    [ "$SECONDS" -lt "$deadline" ] || { echo running; return; }
    sleep 0.1
  done
  cat "$run/exit"
}

running_for() {  # seconds: true when the saver is still running after them
  [ "$(wait_for_exit "$1")" = running ]
}

session_savers() { processes_with "WINEPREFIX=$WINEPREFIX" 'vellumir\.scr'; }

end_run() {  # ends a saver the scenario left running; with none started, waits for none
  if [ ! -f "$run/exit" ] && [ -n "$(jobs -p)" ]; then
    kill -KILL $(session_savers) 2>/dev/null
    wait_for_exit >/dev/null
  fi
  wait 2>/dev/null
}

press_key() {
  xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool key --window "$1" a 2>/dev/null || xdotool key a
}

screenshot() {  # file [geometry [window]]
  import -window "${3:-root}" ${2:+-crop "$2"} "$1" 2>/dev/null
}

# Shots polled for are PPM: a busy machine takes seconds to compress a full-screen PNG.
drawn_shot() {  # file [geometry [window]]: takes the shot; true when it is not all black
  screenshot "PPM:$1" "${@:2}" && drawn "$1"
}

changed_shot() {  # earlier file, file [geometry [window]]: takes the shot; true when it differs
  screenshot "PPM:$2" "${@:3}" && differs "$1" "$2"
}

# True once a drawn picture is followed by another: a window before its first frame (black), or
# a frame that is never followed by a second, does not count.
animates() {  # [geometry [window]]
  eventually drawn_shot "$run/first.ppm" "$@" && eventually changed_shot "$run/first.ppm" "$run/second.ppm" "$@"
}

log_has() { grep -q "$@" "$log"; }  # grep arguments: true once the log holds such a line

geometry_of() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width/{w=$2} /Height/{h=$2}
                            END{print x "," y " " w "x" h}'
}

log_lines() { grep -c "$1" "$log"; }

has_geometry() { [ "$(geometry_of "$1")" = "$2" ]; }  # window, geometry as geometry_of prints it

# Input is acted on only once the saver's window is active and its loop runs: it draws then.
wait_until_drawing() {
  eventually drawn_shot "$run/drawing.ppm" 200x200+0+0
  xdotool windowfocus --sync "$window" 2>/dev/null
}

# A saver that must be visible; leaves its window id in $window.
expect_window() {
  window=$(wait_for_window)
  check "$1: the saver window appears" test -n "$window"
  [ -n "$window" ]
}

# The host's report of a saver it ended (by the end of its window or of the session): true when
# the saver ended with exit code 0 within the bound. The bound tells ending at once from waiting
# out a timeout; a loaded machine takes a second or two for what an idle one does in a tenth.
ended_at_once() {  # the start of the host's report line
  local milliseconds
  milliseconds=$(sed -n "s/^${1:-}ended=1 milliseconds=\([0-9]*\) exit=0\$/\1/p" "$log")
  [ -n "$milliseconds" ] && [ "$milliseconds" -lt 4000 ]
}

finish() {
  end_run
  [ "$failures" -eq 0 ]
}

# --- the full-screen saver -----------------------------------------------------------------

scenario_configure_ends_at_once() {
  local argument
  for argument in /c /C /config; do
    prepare_run configure
    launch "$argument"
    local seen
    seen=$(windows_until_exit)
    check "$argument: exit code 0" test "$(wait_for_exit)" = 0
    check "$argument: no window appeared" test -z "$seen"
    end_run
  done
  finish
}

scenario_saver_covers_the_screen_and_animates() {
  local arguments
  for arguments in "" /s /S -s /x s /screensaver; do
    prepare_run saver
    set_password_value none
    xdotool mousemove 200 200
    # shellcheck disable=SC2086
    launch $arguments
    expect_window "'$arguments'" || { end_run; continue; }
    check "'$arguments': caption Vellumir" test "$(xdotool getwindowname "$window")" = Vellumir
    check "'$arguments': borderless at (0, 0) over the whole screen" \
      test "$(geometry_of "$window")" = "0,0 ${screen_width}x${screen_height}"
    check "'$arguments': the picture changes" animates
    press_key "$window"
    check "'$arguments': a key press ends it with exit code 0" test "$(wait_for_exit)" = 0
    end_run
  done
  finish
}

scenario_mouse_movement_beyond_thirty_pixels_ends_it() {
  local target
  for target in "430 430 running" "431 400 0" "400 431 0" "369 400 0" "370 370 running"; do
    set -- $target
    prepare_run mouse
    set_password_value none
    xdotool mousemove 400 400
    launch /s
    expect_window "move to $1,$2" || { end_run; continue; }
    wait_until_drawing
    xdotool mousemove "$1" "$2"
    # A movement it must ignore gets as long as a slow machine needs to act on one.
    if [ "$3" = running ]; then
      check "move from 400,400 to $1,$2: still running" running_for 3
    else
      check "move from 400,400 to $1,$2: exit code $3" test "$(wait_for_exit)" = "$3"
    fi
    end_run
  done
  finish
}

scenario_clicks_and_small_movements_leave_it_running() {
  prepare_run small
  set_password_value none
  xdotool mousemove 400 400
  launch /s
  expect_window "small movements" || return 1
  wait_until_drawing
  xdotool click 1
  xdotool click 3
  check "clicks without movement leave it running" running_for 2
  local step
  for step in $(seq 20); do
    xdotool mousemove $((400 + (step % 2 ? 25 : -25))) $((400 + (step % 3 - 1) * 28))
    sleep 0.1
  done
  check "slow back-and-forth within 30 pixels leaves it running" running_for 2
  finish
}

# --- passwords -----------------------------------------------------------------------------

scenario_password_refused_keeps_it_running() {
  prepare_run refused
  use_system_module PASSWORD.CPL PASSWORD.CPL
  set_password_value /t REG_DWORD /d 1
  export VELLUMIR_PASSWORD_ANSWER=0
  launch /s
  expect_window "refused" || return 1
  press_key "$window"
  check "the module is asked" eventually log_has VerifyScreenSavePwd
  check "a refused password leaves it running" running_for 3
  check "the module was asked once" test "$(log_lines VerifyScreenSavePwd)" = 1
  check "the saver window owns the dialog" grep -q 'owner=[0-9]* class=TForm1 text=Vellumir' "$log"
  check "the cursor is shown for the dialog" grep -q 'cursor=shown' "$log"
  finish
}

scenario_password_accepted_ends_it() {
  prepare_run accepted
  use_system_module PASSWORD.CPL PASSWORD.CPL
  set_password_value /t REG_DWORD /d 1
  launch /s
  expect_window "accepted" || return 1
  xdotool windowfocus --sync "$window" 2>/dev/null
  # Two presses at once: the second is queued behind the close and must change nothing.
  xdotool key --delay 0 a b
  check "an accepted password ends it with exit code 0" test "$(wait_for_exit)" = 0
  check "the module was asked exactly once" test "$(log_lines VerifyScreenSavePwd)" = 1
  finish
}

scenario_no_password_required_skips_the_module() {
  local value
  for value in "/t REG_DWORD /d 0" none "/t REG_BINARY /d 0102030405"; do
    prepare_run not-required
    use_system_module PASSWORD.CPL PASSWORD.CPL
    # shellcheck disable=SC2086
    set_password_value $value
    launch /s
    expect_window "$value" || { end_run; continue; }
    press_key "$window"
    check "value '$value': it ends" test "$(wait_for_exit)" = 0
    check "value '$value': the module was not asked" test "$(log_lines VerifyScreenSavePwd)" = 0
    end_run
  done
  finish
}

scenario_text_zero_requires_the_password() {
  prepare_run text-zero
  use_system_module PASSWORD.CPL PASSWORD.CPL
  set_password_value /t REG_SZ /d 0
  launch /s
  expect_window "text 0" || return 1
  press_key "$window"
  check "the text \"0\" asks the module" test "$(wait_for_exit)" = 0
  check "the module was asked" test "$(log_lines VerifyScreenSavePwd)" = 1
  finish
}

scenario_missing_password_pieces_fail_open() {
  local case
  # a module without the export | none | a refusing one only where none may be loaded from
  for case in no-export no-module current-directory path-folder saver-folder; do
    prepare_run "$case"
    mkdir "$run/untrusted" && cp "$fixtures/PASSWORD.CPL" "$run/untrusted/"
    [ "$case" = no-export ] && use_system_module EMPTY.CPL PASSWORD.CPL
    set_password_value /t REG_DWORD /d 1
    export VELLUMIR_PASSWORD_ANSWER=0
    case $case in
      current-directory) (cd "$run/untrusted" && wine ../vellumir.scr /s </dev/null >/dev/null 2>&1; echo $? >"$run/exit") & ;;
      path-folder) WINEPATH=$(winepath -w "$run/untrusted") launch /s ;;
      saver-folder) cp "$fixtures/PASSWORD.CPL" "$run/" && launch /s ;;
      *) launch /s ;;
    esac
    expect_window "$case" || { end_run; continue; }
    press_key "$window"
    check "$case: a key press ends it" test "$(wait_for_exit)" = 0
    check "$case: no module was called" test "$(log_lines VerifyScreenSavePwd)" = 0
    end_run
  done
  finish
}

scenario_change_password_calls_the_network_provider() {
  local case
  for case in "/a 1234|SCRSAVE 1234 0 0" "/a|SCRSAVE 0 0 0" "/A 0x10|SCRSAVE 16 0 0"; do
    prepare_run change
    use_system_module MPR.DLL mpr.dll
    export WINEDLLOVERRIDES='mscoree,mshtml=;mpr=n,b'
    # shellcheck disable=SC2086
    launch ${case%|*}
    check "${case%|*}: exit code 0" test "$(wait_for_exit)" = 0
    check "${case%|*}: PwdChangePasswordA(${case#*|})" grep -qx "PwdChangePasswordA ${case#*|}" "$log"
    end_run
  done
  prepare_run mpr-beside  # as in a downloads folder, and Wine told to prefer it
  cp "$fixtures/MPR.DLL" "$run/"
  launch /a 1234
  check "MPR.DLL beside it: exit code 0, never called" eval 'test "$(wait_for_exit)" = 0 && test ! -s "$log"'
  prepare_run no-mpr
  export WINEDLLOVERRIDES='mscoree,mshtml=;mpr='
  launch /a 1234
  local seen
  seen=$(windows_until_exit)
  check "without MPR.DLL: exit code 0" test "$(wait_for_exit)" = 0
  check "without MPR.DLL: no window" test -z "$seen"
  finish
}

scenario_malformed_command_lines_pick_a_defined_mode() {
  local long
  long=$(printf 'z%.0s' $(seq 30000))
  local case
  # command line | expected: "exit" (ends at once with 0) or "window" (a saver or preview window)
  for case in "vellumir.scr \"/c|exit" "vellumir.scr /c$long|exit" "vellumir.scr /c$(printf '\001\002')/s|exit" \
              "vellumir.scr \"/s\" \"|window" "vellumir.scr $(printf '\001')|window" "vellumir.scr /\"s|window" \
              "vellumir.scr /p \"12 34|window" "vellumir.scr /s$long|window" "vellumir.scr /p $long|window"; do
    prepare_run malformed
    set_password_value none
    launch_line "${case%|*}"
    local shown=${case:0:40}
    if [ "${case##*|}" = exit ]; then
      check "'$shown': exit code 0" test "$(wait_for_exit)" = 0
    else
      expect_window "'$shown'" && press_key "$window"
      check "'$shown': a key press ends it with exit code 0" test "$(wait_for_exit)" = 0
    fi
    end_run
  done
  finish
}

# --- the preview ---------------------------------------------------------------------------

start_preview_host() {  # W H: the host plays the settings dialog in the background
  cp "$fixtures/host.exe" "$run/"
  rm -f "$run/exit" "$run/destroy"
  (cd "$run" && wine ./host.exe preview "$1" "$2" destroy </dev/null >/dev/null 2>&1; echo $? >"$run/exit") &
}

end_preview_host() {  # has the host destroy its window; prints the host's exit code
  : >"$run/destroy"
  wait_for_exit
}

# Wine draws an OpenGL child of another process's window into an offscreen X window of that
# size, not onto the host's window, so that is where the preview's pixels are read.
preview_drawable() {  # sets $drawable
  drawable=$(xwininfo -root -tree | awk '/\(has no name\): \(\)  320x240\+0\+0/ {print $1; exit}')
  [ -n "$drawable" ]
}

scenario_preview_lives_in_the_host_window() {
  prepare_run preview
  start_preview_host 320 240
  check "the preview draws into a window of its size" eventually preview_drawable
  [ -n "$drawable" ] && check "the preview animates" animates "" "$drawable"
  check "the host ran to its end" test "$(end_preview_host)" = 0
  check "a disabled, visible child of the host's size at (0, 0)" \
    grep -qx 'child [0-9]* class=MyMorvanScreenSaverClass text= x=0 y=0 width=320 height=240 hostwidth=320 hostheight=240 visible=1 disabled=1 childstyle=1' "$log"
  check "destroying the host ends the saver at once, exit code 0" ended_at_once
  cat "$log"
  finish
}

scenario_preview_survives_degenerate_parents() {
  local size
  for size in "0 0" "1 240" "320 0" "1700 100" "3000 20"; do
    set -- $size
    prepare_run degenerate
    start_preview_host "$1" "$2"
    eventually log_has '^child '
    sleep 2  # a preview that cannot cope with the size gets the time to fail
    check "$1 x $2: the host ran to its end" test "$(end_preview_host)" = 0
    check "$1 x $2: the preview was a child of that size" grep -q "width=$1 height=$2 " "$log"
    check "$1 x $2: destroying the host ended the saver, exit code 0" grep -q '^ended=1 .* exit=0$' "$log"
    end_run
  done
  finish
}

scenario_preview_without_parent_is_a_topmost_popup() {
  local argument
  for argument in "" '""' text; do
    prepare_run popup
    set_password_value none
    xdotool mousemove 50 50
    launch_line "vellumir.scr /p $argument"
    expect_window "/p $argument" || { end_run; continue; }
    check "/p $argument: a popup at (0, 0), half the screen each way" \
      test "$(geometry_of "$window")" = "0,0 $((screen_width / 2))x$((screen_height / 2))"
    check "/p $argument: the preview animates" animates "$((screen_width / 2))x$((screen_height / 2))+0+0"
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool mousemove 600 500 click 1 click 3 mousemove 10 10
    check "/p $argument: mouse movement and buttons leave it running" running_for 2
    local start=$SECONDS
    press_key "$window"
    check "/p $argument: a key press ends it, exit code 0" test "$(wait_for_exit)" = 0
    # At once, not after some timeout; a loaded machine takes a second or two.
    check "/p $argument: within four seconds" test $((SECONDS - start)) -lt 4
    end_run
  done
  finish
}

scenario_preview_popup_owns_the_password_dialog() {
  prepare_run popup-password
  use_system_module PASSWORD.CPL PASSWORD.CPL
  set_password_value /t REG_DWORD /d 1
  export VELLUMIR_PASSWORD_ANSWER=0
  launch /p
  expect_window "popup password" || return 1
  press_key "$window"
  check "the preview window owns the dialog" eventually log_has 'owner=[0-9]* class=MyMorvanScreenSaverClass'
  check "a refused password leaves the preview running" running_for 2
  finish
}

scenario_preview_of_a_number_that_is_no_window_ends_at_once() {
  prepare_run no-window
  screenshot "$run/before.png"
  launch /p 1234567
  local seen
  seen=$(windows_until_exit)
  screenshot "$run/after.png"
  check "exit code 0 at once" test "$(wait_for_exit)" = 0
  check "no window appeared" test -z "$seen"
  check "nothing was drawn on the screen" compare -metric AE "$run/before.png" "$run/after.png" null:
  finish
}

# --- faults --------------------------------------------------------------------------------

host_in_run() {  # host.exe arguments: runs it from the run folder, prints its exit code
  cp -n "$fixtures/host.exe" "$run/"
  (cd "$run" && wine ./host.exe "$@" </dev/null >/dev/null 2>&1; echo $?)
}

use_opengl_fixture() {  # where the saver takes OpenGL from, Wine's own set aside for prepare_run
  cp -n "$WINEPREFIX/drive_c/windows/system32/opengl32.dll" "$session/"
  cp "$fixtures/OPENGL32.DLL" "$WINEPREFIX/drive_c/windows/system32/opengl32.dll"
}

brightest() { convert "$1" -format '%[max]' info: 2>/dev/null || echo none; }
drawn() { [[ $(brightest "$1") =~ ^[1-9] ]]; }
black_shot() { screenshot "PPM:$1" && [ "$(brightest "$1")" = 0 ]; }

scenario_saver_without_opengl_stays_black_and_ends() {
  local case
  # the step that fails | what the stand-in logs for it
  for case in "choose|wglChoosePixelFormat 0" "set|wglSetPixelFormat 0" "create|wglCreateContext 0" \
              "current|wglMakeCurrent 1 0" "load|DllMain 0"; do
    local failure=${case%|*}
    prepare_run "no-opengl-$failure"
    use_opengl_fixture
    set_password_value none
    export WINEDLLOVERRIDES='mscoree,mshtml=;opengl32=n' VELLUMIR_OPENGL_FAILURE=$failure
    launch /s
    expect_window "$failure fails" || { end_run; continue; }
    check "$failure fails: the window covers the screen" test "$(geometry_of "$window")" = "0,0 ${screen_width}x${screen_height}"
    check "$failure fails: the screen is black" eventually black_shot "$run/screen.ppm"
    press_key "$window"
    check "$failure fails: a key press ends it with exit code 0" test "$(wait_for_exit)" = 0
    check "$failure fails: the stand-in saw that step fail" grep -qx "${case#*|}" "$log"
    [ "$failure" = current ] && check "current fails: the context is deleted" grep -qx 'wglDeleteContext 1' "$log"
    check "$failure fails: nothing was drawn" grep -qx 'gl-calls=0 swaps=0' "$log"
    end_run

    : >"$log"
    start_preview_host 320 240
    check "$failure fails: the preview saw that step fail" eventually log_has -x "${case#*|}"
    sleep 2  # a preview that draws through a missing context gets the time to do so
    check "$failure fails: the preview's host runs to its end" test "$(end_preview_host)" = 0
    check "$failure fails: the preview ends with its host, exit code 0" grep -q '^ended=1 .* exit=0$' "$log"
    check "$failure fails: the preview drew nothing" grep -qx 'gl-calls=0 swaps=0' "$log"
  done
  finish
}

# An opengl32.dll beside the saver, as in a downloads folder, even one Wine is told to prefer.
scenario_opengl_beside_the_saver_is_never_loaded() {
  prepare_run opengl-beside
  cp "$fixtures/OPENGL32.DLL" "$run/"
  export WINEDLLOVERRIDES='mscoree,mshtml=;opengl32=n,b'
  launch /s
  expect_window "opengl32.dll beside it" || return 1
  check "the picture changes" animates
  press_key "$window"
  check "a key press ends it with exit code 0" test "$(wait_for_exit)" = 0
  check "the module beside it was never loaded" test ! -s "$log"
  finish
}

scenario_saver_without_its_window_ends_with_code_1() {
  prepare_run no-saver-window
  use_opengl_fixture
  set_password_value none
  # Without a display driver Wine makes no window at all.
  WINEDLLOVERRIDES='mscoree,mshtml=;opengl32=n;winex11.drv=' launch /s
  local seen
  seen=$(windows_until_exit)
  check "exit code 1" test "$(wait_for_exit)" = 1
  check "no window appeared" test -z "$seen"
  check "the system knows no saver runs" test "$(host_in_run running)" = 0
  check "OpenGL was never even loaded" test ! -s "$log"
  finish
}

scenario_display_change_keeps_the_primary_display_covered() {
  prepare_run display-change
  set_password_value none
  # Xvfb offers one mode until told of others; the host then switches modes as the display
  # settings would, which tells every window with WM_DISPLAYCHANGE. Starting small shows whether
  # the viewport follows a larger display. The cursor stays inside every size: under Wine the
  # movement of a cursor that a shrinking display pulls in may arrive before the new size does.
  local mode
  for mode in "1024 768" "800 600"; do
    set -- $mode
    xrandr --newmode "${1}x$2" 0 "$1" 0 0 0 "$2" 0 0 0 2>/dev/null
    xrandr --addmode screen "${1}x$2" 2>/dev/null
  done
  check "the display starts at 1024 x 768" test "$(host_in_run display 1024 768)" = 0
  xdotool mousemove 100 100
  launch /s
  if expect_window "display change"; then
    local size
    for size in "$screen_width $screen_height" "800 600"; do
      set -- $size
      check "$1 x $2: the display changes" test "$(host_in_run display "$1" "$2")" = 0
      check "$1 x $2: the window follows" eventually has_geometry "$window" "0,0 ${1}x${2}"
      check "$1 x $2: the picture still changes" animates
      check "$1 x $2: the picture reaches the top right corner" \
        eventually drawn_shot "$run/corner.ppm" "64x64+$(($1 - 64))+0"
    done
    press_key "$window"
    check "a key press ends it with exit code 0" test "$(wait_for_exit)" = 0
  fi
  check "the display is back at its own size" test "$(host_in_run display "$screen_width" "$screen_height")" = 0
  finish
}

scenario_end_of_session_ends_it_at_once() {
  local case
  # LPARAM of the end of the session | ScreenSaveUsePassword
  for case in "0|none" "0x80000000|none" "0x80000000|1" "1|none"; do
    local reason=${case%|*}
    prepare_run end-session
    use_system_module PASSWORD.CPL PASSWORD.CPL
    [ "${case#*|}" = none ] && set_password_value none || set_password_value /t REG_DWORD /d 1
    launch /s
    expect_window "$case" || { end_run; continue; }
    check "$case: the system knows a saver runs" test "$(host_in_run running)" = 1
    check "$case: the host played the end of the session" test "$(host_in_run endsession "$reason")" = 0
    check "$case: it agrees, and ends at once with exit code 0" ended_at_once 'answer=1 '
    check "$case: no password is asked" test "$(log_lines VerifyScreenSavePwd)" = 0
    check "$case: the system knows no saver runs" test "$(host_in_run running)" = 0
    end_run
  done
  finish
}

# --- the display's power -------------------------------------------------------------------

tell_display() {  # display_power.exe arguments: true once the saver has taken the notice
  cp -n "$fixtures/display_power.exe" "$run/"
  (cd "$run" && wine ./display_power.exe "$@" </dev/null >/dev/null 2>&1)
}

# A patch of the screen's middle: a whole screenshot of a busy screen takes seconds here.
middle=256x256+$((screen_width / 2 - 128))+$((screen_height / 2 - 128))

# Still for a span: a frame that is merely slow would show within it.
still_for_seconds() {  # seconds: true when every shot of the middle over them matches the first
  local until=$((SECONDS + $1))
  screenshot "PPM:$run/still.ppm" "$middle" || return 1
  while [ "$SECONDS" -lt "$until" ]; do
    screenshot "PPM:$run/now.ppm" "$middle" && ! differs "$run/still.ppm" "$run/now.ppm" || return 1
  done
}

then_picture() {  # moving | still, then display_power.exe arguments: the notice is taken, then that
  local picture=$1
  shift
  tell_display "$@" || return 1
  # A frame already on its way may land after the notice: still means still for four seconds.
  if [ "$picture" = moving ]; then animates "$middle"; else eventually still_for_seconds 4; fi
}

cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }  # utime + stime, all threads

cpu_per_minute() {  # pid: milliseconds of CPU per minute, over E2E_CPU_SECONDS (5 unless set)
  local ticks start
  ticks=$(cpu_ticks "$1") start=$(date +%s%N)
  sleep "${E2E_CPU_SECONDS:-5}"
  echo $(( ($(cpu_ticks "$1") - ticks) * 1000 * 60000000000 / $(getconf CLK_TCK) / ($(date +%s%N) - start) ))
}

# Drawing in software takes most of a core: an on figure under a tenth of one measured nothing.
a_tenth_of_the_cpu() {  # on off, in milliseconds per minute
  [[ $1 =~ ^[0-9]+$ && $2 =~ ^[0-9]+$ ]] && [ "$1" -ge 6000 ] && [ $(($2 * 10)) -le "$1" ]
}

scenario_display_off_stops_the_frames() {
  prepare_run display-power
  set_password_value none
  xdotool mousemove 200 200
  launch /s
  expect_window "display power" || return 1
  local saver on off notice
  saver=$(session_savers | head -n 1)
  check "display on: the picture changes" animates "$middle"
  on=$(cpu_per_minute "$saver")
  # another setting | a short payload | a long one | a state that is none of off, on, dimmed
  for notice in "other 0" "console 0 2" "session 0 8" "console 3"; do
    # shellcheck disable=SC2086
    check "notice '$notice': the picture still changes" then_picture moving $notice
  done
  check "session display off: the picture stands still" then_picture still session 0
  off=$(cpu_per_minute "$saver")
  echo "CPU per minute: display on $on ms, display off $off ms"
  check "display off: at most a tenth of the CPU of display on" a_tenth_of_the_cpu "$on" "$off"
  check "console display dimmed: the picture changes again" then_picture moving console 2
  tell_display session 1
  check "console display off, the session's on: the picture still changes" then_picture moving console 0
  check "both displays off: the picture stands still" then_picture still session 0
  press_key "$window"
  check "display off: a key press ends it with exit code 0" test "$(wait_for_exit)" = 0
  finish
}

# --- installing ----------------------------------------------------------------------------

uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellumir'
setup_program=$binaries/vellumir-$(cat "$binaries/version.txt")-setup.exe
desktop_key='HKCU\Control Panel\Desktop'

key_values() {  # key: one "name=data" line per value, nothing when the key is missing
  wine reg query "$1" 2>/dev/null | tr -d '\r' | sed -n 's/^    \(.*\)    REG_[A-Z_]*    \(.*\)$/\1=\2/p'
}

registry_value() { key_values "$1" | sed -n "s/^$2=//p"; }  # key name: the value's data

no_key() { ! wine reg query "$1" >/dev/null 2>&1; }

# The user's screen saver as "SAVER ACTIVE": SAVER is none, installed (the file at $installed) or
# the name of another saver in System32; ACTIVE is ScreenSaveActive's data, or none.
desktop_state() {
  local values saver active=none
  values=$(key_values "$desktop_key")
  saver=$(sed -n 's/^SCRNSAVE\.EXE=//p' <<<"$values")
  grep -q '^ScreenSaveActive=' <<<"$values" && active=$(sed -n 's/^ScreenSaveActive=//p' <<<"$values")
  if [ -z "$saver" ]; then saver=none
  elif [ "$(winepath -u "$saver" 2>/dev/null)" -ef "${installed:-}" ]; then saver=installed
  else saver=${saver##*\\} saver=${saver%.scr}; fi
  echo "$saver $active"
}

set_desktop_state() {  # SAVER ACTIVE, as desktop_state prints them, with another saver or none
  local saver=- active=-
  [ "$1" = none ] || saver="\"C:\\\\windows\\\\system32\\\\$1.scr\""
  [ "$2" = none ] || active="\"$2\""
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"SCRNSAVE.EXE"=%s\r\n"ScreenSaveActive"=%s\r\n' \
    "$saver" "$active" >"$run/desktop.reg"
  (cd "$run" && wine regedit /S desktop.reg)
}

entry_is_complete() {  # hive: every value Add/Remove Programs shows, naming this install
  local values name
  values=$(key_values "$1\\$uninstall_key")
  for name in DisplayName DisplayVersion Publisher DisplayIcon EstimatedSize UninstallString QuietUninstallString; do
    grep -q "^$name=." <<<"$values" || { echo "missing $name"; return 1; }
  done
  grep -qx "DisplayVersion=$(cat "$binaries/version.txt")" <<<"$values" &&
    test "$(winepath -u "$(sed -n 's/^DisplayIcon=//p' <<<"$values")")" -ef "$installed" &&
    grep -q '^QuietUninstallString=.*" /S _?=' <<<"$values" &&
    strings -el "$installed" | grep -qxF "$(sed -n 's/^Publisher=//p' <<<"$values")"
}

settings_shortcut() { find "$WINEPREFIX/drive_c" -name 'Vellumir screen saver settings.lnk'; }

offered_saver_is() {  # file: waits for desk.cpl to be asked to offer a saver, and compares
  eventually log_has '^InstallScreenSaver ' &&
    test "$(winepath -u "$(sed -n 's/^InstallScreenSaver //p' "$log")")" -ef "$1"
}

uninstaller_done() { [ ! -e "$1" ] && [ -z "$(processes_with "WINEPREFIX=$WINEPREFIX" '~nsu[^ ]*\.tmp')" ]; }
# It re-runs from the temp folder and returns at once: waits for that copy too.
wait_for_uninstaller() { eventually uninstaller_done "$1"; }

quiet_uninstall() {  # hive: runs that entry's quiet uninstall command as the system would; true on exit code 0
  printf '%s' "$(registry_value "$1\\$uninstall_key" QuietUninstallString)" >"$run/quiet.txt"
  test "$(host_in_run run quiet.txt)" = 0
}

scenario_setup_installs_runs_and_uninstalls() {
  local setup=$binaries/vellumir-$(cat "$binaries/version.txt")-setup.exe case
  local switches installs before between after hive shown made folder
  cp "$fixtures/desk.cpl" "$WINEPREFIX/drive_c/windows/system32/"
  # switches | installs | the user's saver before, as desktop_state prints it | set in between |
  # after uninstalling
  for case in "|1|none none|-|none none" "/CurrentUser|1|other 1|-|other 1" "|2|other 0|-|other 0" \
              "/CurrentUser|1|none 0|picked 1|picked 1" "/NoActivate|1|other none|-|other none"; do
    IFS='|' read -r switches installs before between after <<<"$case"
    hive=HKLM shown="setup /S${switches:+ $switches} (x$installs) over '$before'" made="installed 1"
    [ "$switches" = /CurrentUser ] && hive=HKCU
    [ "$switches" = /NoActivate ] && made=$before
    prepare_run install
    set_password_value none
    set_desktop_state $before
    for _ in $(seq "$installs"); do
      # shellcheck disable=SC2086
      check "$shown: exit code 0" wine "$setup" /S $switches
    done
    if [ "$hive" = HKLM ]; then
      installed=$WINEPREFIX/drive_c/windows/system32/vellumir.scr
      check "$shown: the saver is in System32, not SysWOW64" test ! -e "$WINEPREFIX/drive_c/windows/syswow64/vellumir.scr"
      check "$shown: no per-user entry" no_key "HKCU\\$uninstall_key"
    else
      installed=$(winepath -u "$(registry_value "HKCU\\$uninstall_key" InstallLocation)")/vellumir.scr
      check "$shown: nothing in System32" test ! -e "$WINEPREFIX/drive_c/windows/system32/vellumir.scr"
      check "$shown: no all-users entry" no_key "HKLM\\$uninstall_key"
    fi
    check "$shown: the installed saver is the one built" cmp -s "$installed" "$binaries/vellumir.scr"
    check "$shown: a complete $hive uninstall entry" entry_is_complete "$hive"
    check "$shown: the user's saver is '$made'" test "$(desktop_state)" = "$made"
    wine start /wait /unix "$(settings_shortcut)" </dev/null >/dev/null 2>&1
    check "$shown: the Start-menu entry offers it in the settings" offered_saver_is "$installed"

    rm -f "$run/exit"
    (cd "$run" && wine "$(winepath -w "$installed")" /s </dev/null >/dev/null 2>&1; echo $? >"$run/exit") &
    if expect_window "$shown: from where it was installed"; then
      press_key "$window"
      check "$shown: a key press ends the installed saver, exit code 0" test "$(wait_for_exit)" = 0
    fi
    end_run

    # shellcheck disable=SC2086
    [ "$between" = - ] || set_desktop_state $between
    folder=$(winepath -u "$(registry_value "$hive\\$uninstall_key" InstallLocation)")
    check "$shown: the quiet uninstall command ends with exit code 0" quiet_uninstall "$hive"
    check "$shown: when it returns, the saver is gone" test ! -e "$installed"
    check "$shown: its folder is gone" test ! -e "$folder"
    check "$shown: the entry is gone" no_key "$hive\\$uninstall_key"
    check "$shown: the user's saver is '$after'" test "$(desktop_state)" = "$after"
    check "$shown: no record of it is left" no_key 'HKCU\Software\Vellumir'
    check "$shown: the Start-menu entry is gone" test -z "$(settings_shortcut)"
  done
  rm -f "$WINEPREFIX/drive_c/windows/system32/desk.cpl"
  finish
}

# An install for all users beside one for this user alone: each uninstaller puts back only what
# its own install replaced, whichever goes first, so the user's saver comes back in the end.
scenario_setup_side_by_side_gives_back_the_users_saver() {
  local case switches hive
  # the two installs' switches | the entries in the order they are uninstalled
  for case in "/CurrentUser /NoActivate|HKLM HKCU" "/AllUsers /CurrentUser|HKLM HKCU" "/AllUsers /CurrentUser|HKCU HKLM"; do
    prepare_run side-by-side
    set_desktop_state other 1
    for switches in ${case%|*}; do check "'$case': install /S $switches" wine "$setup_program" /S $switches; done
    for hive in ${case#*|}; do check "'$case': uninstall $hive" quiet_uninstall "$hive"; done
    check "'$case': the user's saver is back, no record left" eval '[ "$(desktop_state)" = "other 1" ] && no_key "HKCU\Software\Vellumir"'
  done
  finish
}

scenario_setup_refuses_unknown_switches() {
  local switches
  prepare_run unknown-switch
  set_desktop_state other 1
  for switches in "/S /Bogus" "/S /NoActivte" "/S /CurentUser" "/S /CurrentUser /s"; do
    wine "$setup_program" $switches
    check "'$switches': exit code 2" test $? = 2
    check "'$switches': nothing installed or changed" eval '[ -z "$(settings_shortcut)" ] && [ "$(desktop_state)" = "other 1" ]'
  done
  finish
}

signed_by() {  # certificate file: the Authenticode signature holds, checked against it alone
  osslsigncode verify -CAfile "$1" -in "$2" >/dev/null 2>&1
}

scenario_signed_setup_installs_signed_programs() {
  prepare_run signed  # which copies the build's saver, to show that signing leaves it alone
  local sign=$(dirname "$0")/../../packaging/sign-release.sh signed=$run/signed folder
  local setup=$run/signed/vellumir-$(cat "$binaries/version.txt")-setup.exe
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Vellumir test' \
    -addext extendedKeyUsage=codeSigning -keyout "$run/key.pem" -out "$run/cert.pem" 2>/dev/null
  openssl pkcs12 -export -inkey "$run/key.pem" -in "$run/cert.pem" -passout pass:secret -out "$run/key.pfx"
  check "an OUT holding the build is refused" eval 'cp "$binaries/version.txt" "$run/" && ! VELLUMIR_SIGNING_PFX="$run/key.pfx" "$sign" "$run" "$run" 2>/dev/null && test -e "$run/key.pfx"'
  mkdir "$signed" && echo mine >"$signed/thesis.txt"
  VELLUMIR_SIGNING_PFX=$run/key.pfx VELLUMIR_SIGNING_PASSWORD=wrong "$sign" "$binaries" "$signed" 2>/dev/null
  check "a wrong password fails the signing" test $? -ne 0
  check "a failed signing leaves OUT as it was" test "$(ls "$signed")" = thesis.txt
  check "signing succeeds" env VELLUMIR_SIGNING_PFX="$run/key.pfx" VELLUMIR_SIGNING_PASSWORD=secret "$sign" "$binaries" "$signed"
  check "signing keeps what else OUT holds" test "$(cat "$signed/thesis.txt")" = mine
  check "the saver is signed" signed_by "$run/cert.pem" "$signed/vellumir.scr"
  check "the setup program is signed" signed_by "$run/cert.pem" "$setup"
  check "the build stays unsigned" cmp -s "$binaries/vellumir.scr" "$run/vellumir.scr"
  check "the signed setup program installs" wine "$setup" /S /CurrentUser /NoActivate </dev/null &>/dev/null
  folder=$(winepath -u "$(registry_value "HKCU\\$uninstall_key" InstallLocation)")
  check "it installs the signed saver" cmp -s "$folder/vellumir.scr" "$signed/vellumir.scr"
  check "it installs a signed uninstaller" signed_by "$run/cert.pem" "$folder/uninstall.exe"
  wine "$(winepath -w "$folder/uninstall.exe")" /S </dev/null &>/dev/null
  check "the signed uninstaller removes it" wait_for_uninstaller "$folder/uninstall.exe"
  [ "$failures" -eq 0 ]
}

# --- dispatch ------------------------------------------------------------------------------

case ${1:-} in
  start) start_session ;;
  stop) stop_session ;;
  *)
    . "$session/env" || exit 1
    declare -F "scenario_$1" >/dev/null || { echo "no scenario '$1'"; exit 2; }
    system32=$WINEPREFIX/drive_c/windows/system32
    xvfb_alive "$(cat "$session/xvfb.pid")" "$DISPLAY" || { echo "the session's Xvfb on $DISPLAY is gone"; exit 1; }
    "scenario_$1"
    ;;
esac
