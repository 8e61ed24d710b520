#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14 (in build-fuzz) and runs each for
# SECONDS (default 60), seeded from the test and benchmark data. A finding
# (crash, sanitizer report, trap) fails the script; its input is kept in
# build-fuzz/findings/ and becomes a regression test in fuzz/regressions/.
#   tools/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
dir=build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DGRIDWICK_FUZZ=ON -DGRIDWICK_WINDOW=OFF -DGRIDWICK_BENCH=OFF "${launcher[@]}" >/dev/null
ninja -C "$dir" reader_fuzz parsers_fuzz grader_fuzz

# Seeds: every puzzle file of the repository, the parser examples, and a few
# single lines of the shared puzzles (for the grader, whole puzzles).
work="$dir/corpus"
rm -rf "$work" && mkdir -p "$work"/{reader,parsers,grader} "$dir/findings"
cp fuzz/seeds/reader/* bench/data/*.txt "$work/reader/"
head -n 20 tests/data/random.txt > "$work/reader/random.txt"
cp fuzz/seeds/parsers/* "$work/parsers/"
head -n 50 tests/data/random.txt | awk '{ print $1 > "'"$work"'/grader/p" NR }'
cp bench/data/hard.txt "$work/grader/" 2>/dev/null || true
for t in reader parsers grader; do
  [ -d "fuzz/regressions/$t" ] && cp "fuzz/regressions/$t"/* "$work/$t/" 2>/dev/null || true
done

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for t in reader parsers grader; do
  echo "== ${t}_fuzz for ${seconds} s"
  if ! "$dir/fuzz/${t}_fuzz" -max_total_time="$seconds" -max_len=2048 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$dir/findings/${t}-" -print_final_stats=1 "$work/$t" >"$dir/${t}.log" 2>&1; then
    echo "FINDING in ${t}_fuzz:"; tail -n 40 "$dir/${t}.log"; status=1
  else
    grep -E "^stat::number_of_executed_units|^Done" "$dir/${t}.log" || tail -n 3 "$dir/${t}.log"
  fi
done
exit $status
