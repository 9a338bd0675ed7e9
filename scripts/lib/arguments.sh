# Sourced by the scripts beside it and docs/pictures.sh, before they change folder: a script's
# help is its opening comment, and an argument it does not take is refused rather than guessed at.
script_name=$(basename "$(dirname "$(realpath "$0")")")/${0##*/}  # as its help names it: scripts/soak
answer_help() {  # the script's arguments: -h or --help among them prints the help and ends it
  local argument
  for argument in "$@"; do
    case $argument in -h | --help) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac
  done
}

refuse() {  # an argument the script does not take ("" for one missing), and what it takes
  local what="unknown argument '$1'"
  [ -n "$1" ] || what="an argument is missing"
  echo "$script_name: $what; $2 ($script_name --help says more)" >&2
  exit 2
}

refuse_value() {  # the name of what the script takes, the value given, and what it accepts
  echo "$script_name: $1 must be $3, not '$2' ($script_name --help says more)" >&2
  exit 2
}

takes_no_arguments() { answer_help "$@"; [ $# -eq 0 ] || refuse "$1" "it takes none"; }
