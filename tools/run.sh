#!/usr/bin/env bash
# Installs what is missing, builds Gridwick and generates a few puzzles with the
# live progress display. Extra arguments go to `gridwick generate`.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C build gridwick
mkdir -p out
build/gridwick generate --count 50 --target "Simple Sudoku" --out out "$@"
echo
echo "The puzzles are in $(pwd)/out/Simple Sudoku (Easy_0001.ss, ..., one file per puzzle)."
echo "Next: build/gridwick --help"
