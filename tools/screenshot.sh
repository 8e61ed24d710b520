#!/usr/bin/env bash
# Starts gridwick-window on a virtual X server (Xvfb) and saves a picture of it
# as a window manager-less X server shows it (tools/window-views.sh draws each
# view on its own).
#
#   tools/screenshot.sh [build-dir] [output.png]
#
# Defaults: build-dir = build, output = docs/window.png. Needs xvfb, x11-utils
# and imagemagick. The window creates its output folders next to its
# executable, so a copy of it runs from a temporary folder, which the command
# line first fills with a few hundred puzzles so that the counters show some.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=${2:-$root/docs/window.png}
exe=$build/app/gridwick-window
if [[ ! -x $exe ]]; then
  echo "screenshot: $exe not found; build first (cmake -S . -B build -G Ninja && ninja -C build)" >&2
  exit 1
fi

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp "$exe" "$work/"
if [[ -x $build/gridwick ]]; then
  "$build/gridwick" generate --target 0 --count 300 --seed 7 --out "$work" --quiet >/dev/null
fi

# Xvfb picks a free display number and writes it to fd 3 once it is ready.
Xvfb -displayfd 3 -screen 0 1280x800x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s $work/display ]] && break
  sleep 0.1
done
[[ -s $work/display ]] || { echo "screenshot: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
display=:$(head -n1 "$work/display")

DISPLAY=$display XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=xcb "$work/gridwick-window" >"$work/app.log" 2>&1 &
app_pid=$!
for _ in $(seq 100); do
  xwininfo -display "$display" -name Gridwick 2>/dev/null | grep -q IsViewable && break
  sleep 0.1
done
sleep 1  # let it paint

mkdir -p "$(dirname "$out")"
import -display "$display" -window Gridwick "$out"
echo "screenshot: wrote $out"
