#!/usr/bin/env bash
# usage: install_test.sh BUILD_DIR SCRATCH_DIR
# Installs the build into SCRATCH_DIR/root as a package would, then runs the
# installed command line: --version, its man page, and a tiny generate.
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
fail() { echo "install test: $*" >&2; exit 1; }

check_tree() {  # ROOT: an installed /usr tree
  local root=$1
  "$root/usr/bin/gridwick" --version | grep -q '^gridwick ' || fail "$root: --version"
  [ -s "$root/usr/share/man/man1/gridwick.1" ] || fail "$root: no man page"
  grep -q 'generate' "$root/usr/share/man/man1/gridwick.1" || fail "$root: man page lacks the commands"
  if [ -x "$build/app/gridwick-window" ]; then
    [ -x "$root/usr/bin/gridwick-window" ] || fail "$root: no gridwick-window"
    [ -f "$root/usr/share/applications/gridwick-window.desktop" ] || fail "$root: no desktop entry"
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/gridwick.svg" ] || fail "$root: no icon"
  fi
  "$root/usr/bin/gridwick" generate -q --seed 1 --count 3 --out "$scratch/out" >/dev/null || fail "$root: generate"
  [ "$(cat "$scratch"/out/Sudoku_81_Char/*.txt | wc -l)" -eq 3 ] || fail "$root: generate did not write 3 puzzles"
  rm -rf "$scratch/out"
}

DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
check_tree "$scratch/root"

# The Debian package: built with cpack, unpacked (no root needed) and run.
if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
  (cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null)
  deb=$(ls "$scratch"/*.deb)
  dpkg-deb --field "$deb" Depends | grep -q libc6 || fail "package has no dependencies"
  dpkg-deb -x "$deb" "$scratch/deb"
  check_tree "$scratch/deb"
fi
echo "install test: ok"
