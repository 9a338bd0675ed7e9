# Sourced by the shell suites: their checks, a display of their own, waiting for a condition
# rather than for a time, and the pictures and processes they look at. Machines that run them
# are often busy, so only a hang should reach a deadline.
patience=60  # seconds
failures=0

check() {  # description, then a command that must succeed: prints the outcome, counts a failure
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}

# start_xvfb GEOMETRY LOG: starts Xvfb on a display number it picks itself (any number we chose
# could be taken by another session between our look and its start), waits until it takes
# clients and sets $display and $xvfb_pid.
start_xvfb() {
  local fifo number=
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/xvfb-displayfd.XXXXXX")
  mkfifo "$fifo" || return 1
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$fifo" </dev/null >"$2" 2>&1 &
  xvfb_pid=$!
  # The number arrives once the server takes connections; a server that fails closes the pipe.
  read -r -t "$patience" number <"$fifo"
  rm -f "$fifo"
  if ! [[ $number =~ ^[0-9]+$ ]]; then
    kill "$xvfb_pid" 2>/dev/null
    echo "Xvfb did not start: $(tail -n 3 "$2")"
    return 1
  fi
  display=:$number
}

xvfb_alive() {  # pid display: true while that server runs and answers there
  kill -0 "$1" 2>/dev/null && DISPLAY=$2 xdpyinfo >/dev/null 2>&1
}

eventually() {  # a command: true as soon as it succeeds, false if it never does within the patience
  local deadline=$((SECONDS + patience))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

differs() { ! compare -metric AE "$1" "$2" null: 2>/dev/null; }  # two pictures

# On llvmpipe every pixel the mesh covers is at least about 0.2 of full intensity in its
# brightest channel, so any darker pixel is a gap or an uncovered part of the window.
covered() { [ "$(convert "$1" -separate -evaluate-sequence Max -format '%[fx:minima>0.15]' info:)" = 1 ]; }

# Processes that are not our children (Wine's, a daemon's hacks) are told from other sessions'
# by a variable of their environment, never by their name alone.
processes_with() {  # NAME=VALUE [pgrep -f pattern]: the pids of such processes
  local pid
  for pid in $(pgrep -f "${2:-.}"); do
    grep -qxzF "$1" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
  done
}

runs_program() {  # NAME=VALUE program: true while a process with that in its environment runs it
  local pid
  for pid in $(processes_with "$1"); do [ "$(readlink "/proc/$pid/exe")" = "$2" ] && return; done
  false
}
