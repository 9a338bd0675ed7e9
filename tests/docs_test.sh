#!/usr/bin/env bash
# What the pages must repeat from its source is held against it: the development page's table of
# test parts against the list scripts/test runs.
set -u
. "$(dirname "$0")/harness.sh"
top=$(dirname "$0")/..
script_parts=$(sed -n 's/^parts=(\(.*\))$/\1/p' "$top/scripts/test")
page_parts=$(sed -n 's/^| `\([a-z]*\)` |.*/\1/p' "$top/docs/development.md" | xargs)
check "docs/development.md's table has a row for each part of scripts/test, in its order" \
  test -n "$script_parts" -a "$page_parts" = "$script_parts"
[ "$failures" -eq 0 ]
