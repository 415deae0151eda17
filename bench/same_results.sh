#!/usr/bin/env bash
# Byte-identity check of builds: every ulpscope given runs the same dialogue
# (bench/answers/identity.txt: twelve ranges, about 300,000 x, header blocks,
# x3 lines, one- to three-digit exponents, negative and tiny steps) and must
# write the same results file, console output and exit status as the first.
#
#   bench/same_results.sh REFERENCE_ULPSCOPE OTHER_ULPSCOPE...
#
# The one fact to know: the runs have no terminal (setsid), so no tool waits
# for a key at its end. Needs bash, coreutils and util-linux.
set -euo pipefail

if (($# < 2)); then
  echo "usage: bench/same_results.sh REFERENCE_ULPSCOPE OTHER_ULPSCOPE..." >&2
  exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tools=()
for tool in "$@"; do tools+=("$(cd "$(dirname "$tool")" && pwd)/$(basename "$tool")"); done
answers=$here/bench/answers/identity.txt
work=$(mktemp -d "${TMPDIR:-/tmp}/ulpscope-same.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Runs tool $1 in folder $2: i.rez, console.txt and status there.
run_in() {
  mkdir -p "$2"
  local status=0
  (cd "$2" && setsid -w "$1" < "$answers" > console.txt 2>&1) || status=$?
  echo "$status" > "$2/status"
}

run_in "${tools[0]}" "$work/reference"
x_count=$(grep -c '^x: ' "$work/reference/i.rez")
echo "reference ${tools[0]}: $x_count x, $(stat -c %s "$work/reference/i.rez") bytes," \
  "exit status $(cat "$work/reference/status")"
differ=0
for tool in "${tools[@]:1}"; do
  rm -rf "$work/candidate"
  run_in "$tool" "$work/candidate"
  if cmp -s "$work/reference/i.rez" "$work/candidate/i.rez" && cmp -s "$work/reference/console.txt" \
    "$work/candidate/console.txt" && cmp -s "$work/reference/status" "$work/candidate/status"; then
    echo "same: $tool"
  else
    echo "DIFFERENT: $tool"
    differ=1
  fi
done
exit "$differ"
