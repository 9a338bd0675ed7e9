#!/usr/bin/env bash
# The frame tool's command line as a user meets it: sizes, repeatability, and bad input that
# must leave no file behind.
set -u
. "$(dirname "$0")/harness.sh"
render=$1 dumps=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$render" --seed 1 --mode 1 --frames 3 --dump "$work/a.bin"
"$render" --seed 1 --mode 1 --frames 3 --dump "$work/b.bin"
check "dump size" test "$(stat -c %s "$work/a.bin")" -eq $((60 + 7 * 101 * 179 * 4))
check "dump repeats" cmp -s "$work/a.bin" "$work/b.bin"
for mode in 1 2 3 4 5; do
  "$render" --seed 3 --mode "$mode" --frames 40 --dump "$work/fast.bin"
  "$render" --seed 3 --mode "$mode" --frames 40 --exact --dump "$work/exact.bin"
  check "mode $mode: the fast path gives the extended bits" cmp -s "$work/fast.bin" "$work/exact.bin"
done
rm -f "$work/fast.bin" "$work/exact.bin"
check "dump header" test "$(head -c 12 "$work/a.bin" | od -An -c | tr -d ' \n')" = 'VLMRDUMP001\0\0\0'
check "no temporary left" test "$(ls "$work" | wc -l)" -eq 2

"$render" --seed 2 --frames 0 --rows 50 --width 133 --height 100 --dump "$work/small.bin"
check "halfway column count" test "$(stat -c %s "$work/small.bin")" -eq $((60 + 7 * 51 * 67 * 4))

"$render" --seed 7 --mode 4 --png "$work/out.png"
# The IHDR chunk holds the width and height as big-endian words at bytes 16 to 23.
check "png size" test "$(od -An -tx1 -j16 -N8 "$work/out.png" | tr -d ' \n')" = 0000078000000438

# One check of the whole usage: a line for each option, the option after --help ignored, -h the same.
usage_is_whole() {
  local usage
  usage=$("$render" --help --bogus) && [ "$("$render" -h)" = "$usage" ] &&
    [ "$(grep -oE -- '^  (-h, )?--[a-z]+' <<<"$usage" | xargs)" = \
      "--width --height --rows --seed --mode --phases --frames --exact --dump --png -h, --help --version" ]
}
check "--help and -h: exit 0 and the same usage, describing every option" usage_is_whole
check "--version" grep -qx 'vellumir-render [0-9]*\.[0-9]*\.[0-9]*' <<<"$("$render" --version)"

# A clock-seeded picture can be made again from the seed it printed and keeps in its text.
"$render" --width 64 --height 48 --rows 6 --frames 5 --png "$work/clock.png" 2> "$work/err.txt"
seed=$(sed -n 's/^seed \([0-9]*\)$/\1/p' "$work/err.txt")
"$render" --width 64 --height 48 --rows 6 --frames 5 --seed "$seed" --png "$work/again.png"
check "the printed seed makes the same picture" cmp -s "$work/clock.png" "$work/again.png"
check "the picture names its seed and size" \
  grep -q "Seed=$seed.*Size=64x48" <<<"$(tr '\0' = < "$work/clock.png" | LC_ALL=C tr -dc '[:print:]')"
rm -f "$work/err.txt" "$work/clock.png" "$work/again.png"

echo old > "$work/keep.bin"
mkdir "$work/folder"
# Links are refused rather than replaced by a plain file.
ln -s keep.bin "$work/link.bin"
ln -s nowhere "$work/dangling.png"
# One run per line, its arguments separated by '|' so that they may hold blanks and control
# characters. Each must fail with one clean line and leave nothing it made.
bad_runs=(
  "--mode|9|--dump|$work/new.bin"
  "--frames|-2|--dump|$work/new.bin"
  "--phases|1,2|--png|$work/new.png"
  "--width|0|--dump|$work/new.bin"
  "--rows|601|--dump|$work/keep.bin"
  "--bogus|--dump|$work/keep.bin"
  "--dump|$work/missing/dir/x.bin"
  "--png|$work/missing/x.png|--dump|$work/new.bin"
  "--dump"
  "--dump|$work/new.bin|--png|."
  "--dump|$work/new.bin|--png|$work/folder"
  "--png|$work/new.png|--dump|/dev/null"
  "--dump|$work/new.bin|--png|/proc/new.png"
  "--dump|$work/keep.bin|--png|$work/keep.bin"
  "--dump|$work/new.bin|--png|$work/folder/../new.bin"
  "--dump|$work/link.bin"
  "--dump|$work/new.bin|--png|$work/dangling.png"
  $'--mode|1\n2|--dump|'"$work/new.bin"
  $'--bo\e[2Jgus\r\n--png'
  $'--dump|'"$work/new.bin"$'|--png|'"$work"$'/missing\t\x7f/x.png'
)
for run in "${bad_runs[@]}"; do
  IFS='|' read -r -d '' -a args < <(printf '%s' "$run")
  what=$(printf '%q' "$run")
  "$render" "${args[@]}" 2> "$work/err.txt"
  code=$?
  check "exit 2 for: $what" test $code -eq 2
  check "one line on stderr for: $what" test "$(wc -l < "$work/err.txt")" -eq 1 -a "$(grep -c . "$work/err.txt")" -eq 1
  check "no control character on stderr for: $what" sh -c "! LC_ALL=C grep -q '[[:cntrl:]]' '$work/err.txt'"
  rm -f "$work/err.txt"
done
check "no file created" test ! -e "$work/new.bin" -a ! -e "$work/new.png"
check "no file overwritten" test "$(cat "$work/keep.bin")" = old -a -L "$work/link.bin" -a -L "$work/dangling.png"
check "the system's reason" grep -q "x.bin': No such file or directory$" <<<"$("$render" --dump "$work/no/x.bin" 2>&1)"
rm "$work/link.bin" "$work/dangling.png"

chmod 600 "$work/keep.bin"
"$render" --seed 1 --frames 0 --rows 2 --dump "$work/keep.bin"
check "a private file stays private when replaced" test "$(stat -c %a "$work/keep.bin")" = 600

script -qfec "timeout 120 $render --rows 600 --frames 100000" /dev/null > "$work/terminal.txt" 2>/dev/null &
check "a long run on a terminal shows its progress" eventually grep -q 'frame [0-9]* of 100000, about .* left' "$work/terminal.txt"
kill $! && wait $!
rm "$work/terminal.txt"

# Ended by a signal in the middle of the work: the temporaries go too.
"$render" --rows 600 --frames 1000000 --dump "$work/killed.bin" &
for _ in $(seq 500); do compgen -G "$work/killed.bin.*" > /dev/null && break; sleep 0.01; done
kill -TERM $!
wait $!
check "killed by SIGTERM" test $? -eq $((128 + 15))
check "nothing else left" test "$(ls "$work" | sort | tr '\n' ' ')" = "a.bin b.bin folder keep.bin out.png small.bin "

# The dump program's own help and version, and the frame tool's options it has no use for.
check "frame dumps: --help" eval '"$dumps" --help | grep -q "^usage: vellumir-frame-dumps --seed S --dump FILE"'
check "frame dumps: --version" grep -qx 'vellumir-frame-dumps [0-9]*\.[0-9]*\.[0-9]*' <<<"$("$dumps" --version)"
for option in --phases=1,2,3 --png="$work/d.png"; do
  "$dumps" --seed 1 --dump "$work/d.bin" "${option%%=*}" "${option#*=}" 2>/dev/null
  check "frame dumps: ${option%%=*} refused" test $? -eq 2 -a ! -e "$work/d.bin" -a ! -e "$work/d.png"
done

echo "$failures failed"
test "$failures" -eq 0
