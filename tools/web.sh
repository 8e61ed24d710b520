#!/usr/bin/env bash
# Builds the web page with emscripten into build/web/site (incrementally: the
# objects stay in build/web) and serves it on 127.0.0.1 for a look.
# usage: tools/web.sh [--build-only] [PORT]
set -euo pipefail
cd "$(dirname "$0")/.."
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}  # Debian's acorn, which emcc needs
build=${GRIDWICK_WEB_BUILD:-build/web}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build/build.ninja" ]; then
  emcmake cmake -S web -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
fi
ninja -C "$build" >/dev/null
[ "${1:-}" = "--build-only" ] && exit 0
port=${1:-8080}
echo "Gridwick's page: http://127.0.0.1:$port/ (Ctrl-C stops the server)"
exec /usr/bin/python3 -m http.server --bind 127.0.0.1 --directory "$build/site" "$port"
