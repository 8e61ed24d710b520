#!/usr/bin/env bash
# Draws one picture per view of gridwick-window into docs/: the run panel
# during a hunt, the collection, an explanation step and the book export, at
# 100% scale, and the explanation step once more at 200%. Qt's offscreen
# platform draws them (no display needed); the views are filled from a scratch
# folder of puzzles.
#
#   tools/window-views.sh [build-dir] [output-dir]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=${2:-$root/docs}
shots=$build/app/gridwick-window-shots
if [[ ! -x $shots ]]; then
  echo "window-views: $shots not found; build first (ninja -C build gridwick-window-shots)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work
"$shots" "$out"
QT_SCALE_FACTOR=2 "$shots" "$work" -200
cp "$work/window-explain-200.png" "$out/"
