#!/usr/bin/env bash
# usage: bench/grade_jobs.sh [path/to/gridwick] [PUZZLES]
# Grades the same generated puzzles (20,000 by default, seeded) with --jobs 1
# and --jobs 2: wall-clock and CPU time of each, the speed-up, the peak memory,
# and whether the outputs are the same bytes.
set -euo pipefail
bin=${1:-build/gridwick}
count=${2:-20000}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# A level holds at most 1000 puzzles per run, so the puzzles come from runs of 1000.
for ((seed = 1; seed * 1000 <= count; ++seed)); do
  "$bin" generate --seed "$seed" --count 1000 --jobs 2 --quiet --out - 2>/dev/null
done > "$dir/puzzles.txt"
for j in 1 2; do
  /usr/bin/time -f "%e %U %S %M" -o "$dir/time.$j" "$bin" grade --jobs "$j" "$dir/puzzles.txt" > "$dir/out.$j"
  read -r wall user sys rss < "$dir/time.$j"
  echo "--jobs $j: $wall s wall, $user s user, $sys s system, max RSS $rss KB"
done
cmp -s "$dir/out.1" "$dir/out.2" && echo "outputs identical" || { echo "OUTPUTS DIFFER"; exit 1; }
read -r w1 u1 s1 _ < "$dir/time.1"
read -r w2 u2 s2 _ < "$dir/time.2"
awk -v w1="$w1" -v w2="$w2" -v c1="$u1+$s1" -v u1="$u1" -v s1="$s1" -v u2="$u2" -v s2="$s2" 'BEGIN {
  printf "wall-clock speed-up %.2fx; CPU of --jobs 2 against --jobs 1: %.3f (2 cores at most give %.2fx)\n",
         w1 / w2, (u2 + s2) / (u1 + s1), 2 * (u1 + s1) / (u2 + s2) }'
