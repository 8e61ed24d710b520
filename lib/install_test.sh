#!/usr/bin/env bash
# usage: install_test.sh BUILD_DIR SCRATCH_DIR EXAMPLE_DIR
# Installs the build into SCRATCH_DIR/root, then builds the example against the
# installed tree through find_package(Gridwick) (shared and static) and through
# pkg-config, and runs each on a puzzle (the pkg-config one without
# LD_LIBRARY_PATH).
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$2
example=$(cd "$3" && pwd)
rm -rf "$scratch"
mkdir -p "$scratch"
fail() { echo "library install test: $*" >&2; exit 1; }
root=$scratch/root
cmake --install "$build" --prefix "$root" --component library >/dev/null
puzzle=4.....8.5.3..........7......2.....6.....8.4......1.......6.3.7.5..2.....1.4......
check() {  # PROGRAM: its output on the puzzle
  local out
  out=$("$@" "$puzzle") || fail "$1 failed"
  [ "$(sed -n 1p <<<"$out")" = "2 Medium" ] || fail "$1: level line is '$(sed -n 1p <<<"$out")'"
  [ "$(sed -n 3p <<<"$out" | wc -c)" -eq 82 ] || fail "$1: no canonical form"
  "$1" "12345" >/dev/null 2>&1 && fail "$1 accepted a bad puzzle"
  return 0
}
cmake -S "$example" -B "$scratch/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$root" >/dev/null
ninja -C "$scratch/cmake" >/dev/null
check "$scratch/cmake/example_static"
LD_LIBRARY_PATH="$root/lib:$root/lib/$(gcc -print-multiarch 2>/dev/null || true)" check "$scratch/cmake/example_shared"
ldd "$scratch/cmake/example_static" | grep -q libgridwick && fail "the static example loads the shared library"
pc=$(find "$root" -name gridwick.pc)
[ -n "$pc" ] || fail "no gridwick.pc"
export PKG_CONFIG_PATH=$(dirname "$pc")
# shellcheck disable=SC2046
c++ -std=c++20 "$example/main.cpp" -o "$scratch/example_pc" $(pkg-config --cflags --libs gridwick)
# Run as built: the flags carry the library's folder as the run path.
check "$scratch/example_pc"
echo "library install test: ok"
