#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14 (in build-fuzz) and runs each for
# SECONDS (default 60), seeded from the test and benchmark data. A finding
# (crash, sanitizer report, trap) fails the script; its input is kept in
# build-fuzz/findings/ and belongs in fuzz/regressions/TARGET/, which the tests
# replay in every build.
#   tools/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(reader stored canonical parsers grader)
dir=build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DGRIDWICK_FUZZ=ON -DGRIDWICK_WINDOW=OFF -DGRIDWICK_BENCH=OFF "${launcher[@]}" >/dev/null
ninja -C "$dir" $(printf '%s_fuzz ' "${targets[@]}")

# Seeds: every puzzle file of the repository, the parser examples, single
# lines of the shared puzzles (for the grader, a rung number and a puzzle),
# and inputs that cross the reader's limits: a line longer than 4096 bytes
# before a puzzle, and more than one 64 KiB read of puzzle lines.
work="$dir/corpus"
for t in "${targets[@]}"; do rm -rf "${work:?}/$t"; done
mkdir -p "$work"/{reader,stored,canonical,parsers,grader} "$dir/findings"
cp fuzz/seeds/reader/* bench/data/*.txt "$work/reader/"
head -n 20 tests/data/random.txt > "$work/reader/random.txt"
{ printf '\001'; head -c 5000 /dev/zero | tr '\0' 'x'; printf '\n'; head -n 3 tests/data/random.txt; } > "$work/reader/long-line"
{ printf '\000'; head -n 850 tests/data/random.txt | cut -c1-81; } > "$work/reader/past-64k"
cp "$work/reader"/* "$work/stored/"
cp fuzz/seeds/parsers/* "$work/parsers/"
head -n 50 tests/data/random.txt | awk -v d="$work" '{ printf "%c%s", 33 + NR % 90, $1 > (d "/grader/p" NR); printf "%s", $1 > (d "/canonical/p" NR) }'
for t in reader stored canonical parsers grader; do
  [ -d "fuzz/regressions/$t" ] && cp "fuzz/regressions/$t"/* "$work/$t/" 2>/dev/null || true
done

# Inputs may cross the reader's 4096-byte line limit and its 64 KiB reads.
declare -A maxlen=([reader]=140000 [stored]=140000 [canonical]=128 [parsers]=2048 [grader]=2048)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for t in "${targets[@]}"; do
  echo "== ${t}_fuzz for ${seconds} s"
  if ! "$dir/fuzz/${t}_fuzz" -max_total_time="$seconds" -max_len="${maxlen[$t]}" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$dir/findings/${t}-" -print_final_stats=1 "$work/$t" >"$dir/${t}.log" 2>&1; then
    echo "FINDING in ${t}_fuzz:"; tail -n 40 "$dir/${t}.log"; status=1
  else
    grep -E "^stat::number_of_executed_units|^Done" "$dir/${t}.log" || tail -n 3 "$dir/${t}.log"
  fi
done
exit $status
