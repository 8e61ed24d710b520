#!/usr/bin/env bash
# usage: grade_outputs_test.sh path/to/gridwick [--record]
# Runs a fixed set of `grade` commands over tests/data/grade_outputs/input.txt
# (puzzles of several levels, a forcing chain, a bivalue trial, an Outlaw, a
# nine-line grid and three lines that cannot be graded) and compares standard
# output, standard error, the exit status and any page written with what they
# gave when recorded (their SHA-256 sums in expected.sha256; the outputs
# themselves run to megabytes). With --record, writes the sums anew; with
# --keep DIR, also leaves the outputs in DIR to compare by eye.
set -uo pipefail
bin=$(realpath "$1")
record=${2:-}
keep=${3:-}
here=$(cd "$(dirname "$0")/data/grade_outputs" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$here"
failed=0
n=0
while IFS='|' read -r name args; do
  name=${name// /}
  [ -z "$name" ] || [ "${name:0:1}" = "#" ] && continue
  n=$((n + 1))
  got="$scratch/$name"
  args=${args//PAGE/$scratch/page.html}
  eval "\"$bin\" grade $args" >"$got.out" 2>"$got.err" </dev/null
  echo "exit $?" >>"$got.err"
  files=(out err)
  if [ -e "$scratch/page.html" ]; then mv "$scratch/page.html" "$got.html"; files+=(html); fi
  for kind in "${files[@]}"; do
    sum=$(sha256sum <"$got.$kind" | cut -c1-64)
    echo "$sum  $name.$kind" >>"$scratch/sums"
    if [ "$record" != --record ] && ! grep -qx "$sum  $name.$kind" expected.sha256; then
      echo "grade outputs: '$name' ($args): $kind differs from the recorded one" >&2
      failed=1
    fi
  done
  [ -n "$keep" ] && cp "$got".* "$keep"/
done < commands.txt
if [ "$record" = --record ]; then cp "$scratch/sums" expected.sha256; echo "grade outputs: recorded"; exit 0; fi
[ "$(wc -l <expected.sha256)" = "$(wc -l <"$scratch/sums")" ] || { echo "grade outputs: commands and recorded sums differ in number" >&2; failed=1; }
[ "$n" -gt 0 ] || { echo "grade outputs: no command in commands.txt" >&2; exit 1; }
[ "$failed" = 0 ] && echo "grade outputs: $n commands as recorded"
exit $failed
