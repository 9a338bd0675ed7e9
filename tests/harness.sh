# Sourced by the shell suites: a display of their own, and waiting for a condition rather than
# for a time. Machines that run them are often busy, so only a hang should reach a deadline.
patience=60  # seconds

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
