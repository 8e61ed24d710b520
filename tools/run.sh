#!/usr/bin/env bash
# Installs what is missing, builds Gridwick's command line and its desktop
# window, and generates a few puzzles with the live progress display. Extra
# arguments go to `gridwick generate`.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# The two programs only; the tests, benchmarks and tools are built by tools/test.sh.
programs=(gridwick)
if ninja -C build -t targets all | grep -q '^gridwick-window:'; then
  programs+=(gridwick-window)
fi
ninja -C build "${programs[@]}"
mkdir -p out
build/gridwick generate --count 50 --target "Simple Sudoku" --out out "$@"
echo
echo "The puzzles are in $(pwd)/out/Simple Sudoku (Easy_0001.ss, ..., one file per puzzle)."
echo "Next: build/gridwick --help"
if [[ -x build/app/gridwick-window ]]; then
  echo "The window: build/app/gridwick-window out    (choose \"Simple Sudoku\" in its list to see these puzzles)"
else
  echo "The window was not built: Qt 6 Widgets and Qt 6 SVG (qt6-base-dev, qt6-svg-dev) were not found."
fi
