#!/usr/bin/env bash
# usage: install_test.sh BUILD_DIR SCRATCH_DIR
# Installs the build into SCRATCH_DIR/root as a package would, then runs what
# was installed. Where cpack and dpkg are present, also builds the two Debian
# packages, checks them with lintian (no errors allowed) and runs them from a
# scratch root.
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
fail() { echo "install test: $*" >&2; exit 1; }
window=false
[ -x "$build/app/gridwick-window" ] && window=true

check_cli() {  # ROOT: an installed /usr tree
  local root=$1
  "$root/usr/bin/gridwick" --version | grep -q '^gridwick ' || fail "$root: --version"
  for section in EXAMPLES FILES 'EXIT STATUS' 'SEE ALSO' 'INPUT FORMATS'; do
    zcat "$root/usr/share/man/man1/gridwick.1.gz" | grep -q "^\.SH \"\?$section" || fail "$root: man page lacks $section"
  done
  [ -s "$root/usr/share/doc/gridwick/copyright" ] || fail "$root: no copyright file"
  zcat "$root/usr/share/doc/gridwick/changelog.gz" | grep -q '^gridwick (' || fail "$root: no changelog"
  # The bash completion loads and offers the commands.
  bash -c "complete() { echo \"complete \$*\"; }; source '$root/usr/share/bash-completion/completions/gridwick'" |
    grep -q '_gridwick gridwick' || fail "$root: bash completion"
  grep -q '^#compdef gridwick' "$root/usr/share/zsh/vendor-completions/_gridwick" || fail "$root: zsh completion"
  "$root/usr/bin/gridwick" generate -q --seed 1 --count 3 --out "$scratch/out" 2>/dev/null || fail "$root: generate"
  [ "$(cat "$scratch"/out/Sudoku_81_Char/*.txt | wc -l)" -eq 3 ] || fail "$root: generate did not write 3 puzzles"
  rm -rf "$scratch/out"
}

check_window() {  # ROOT
  local root=$1
  "$root/usr/bin/gridwick-window" --version >/dev/null || fail "$root: gridwick-window --version"
  zcat "$root/usr/share/man/man6/gridwick-window.6.gz" | grep -q '^\.SH "SEE ALSO"' || fail "$root: window man page"
  [ -f "$root/usr/share/applications/gridwick-window.desktop" ] || fail "$root: no desktop entry"
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/gridwick.svg" ] || fail "$root: no icon"
}

DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
check_cli "$scratch/root"
$window && check_window "$scratch/root"

# The Debian packages: built with cpack, checked, unpacked (no root needed) and run.
if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
  (cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" >/dev/null 2>&1)
  cli=$(ls "$scratch"/gridwick_*.deb)
  dpkg-deb --field "$cli" Depends | grep -q libc6 || fail "package has no dependencies"
  dpkg-deb --field "$cli" Recommends | grep -q bash-completion || fail "package does not recommend bash-completion"
  if dpkg-deb --field "$cli" Depends | grep -qi qt; then fail "the command line's package depends on Qt"; fi
  debs=("$cli")
  if $window; then debs+=("$(ls "$scratch"/gridwick-window_*.deb)"); fi
  if command -v lintian >/dev/null; then
    lintian --fail-on error "${debs[@]}" >"$scratch/lintian.txt" 2>&1 || {
      cat "$scratch/lintian.txt" >&2
      fail "lintian reports errors"
    }
  fi
  for deb in "${debs[@]}"; do dpkg-deb -x "$deb" "$scratch/deb"; done
  check_cli "$scratch/deb"
  $window && check_window "$scratch/deb"
fi
echo "install test: ok"
