#!/usr/bin/env bash
# usage: pip_test.sh SOURCE_DIR SCRATCH_DIR
# Builds and installs the module as a user does, in a fresh venv over Debian's
# Python packages without network, then grades a puzzle through it.
set -euo pipefail
src=$(cd "$1" && pwd)
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
/usr/bin/python3 -m venv --system-site-packages "$scratch/venv"
# A copy of the tree, so that the build leaves nothing in the source folder.
tar -C "$src" --exclude=./build --exclude='./build-*' --exclude=./.git -cf - . | (mkdir "$scratch/src" && tar -C "$scratch/src" -xf -)
(cd "$scratch/src" && "$scratch/venv/bin/pip" install --no-build-isolation --no-index -q .)
out=$(cd "$scratch" && venv/bin/python -c '
import gridwick
g = gridwick.grade("4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......")
print(g.level, g.name, len(g.steps) > 0)')
[ "$out" = "2 Medium True" ] || { echo "pip test: got '$out'" >&2; exit 1; }
echo "pip test: ok"
