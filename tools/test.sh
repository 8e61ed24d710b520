#!/usr/bin/env bash
# Builds Gridwick and runs every test. With --sanitize the build uses
# AddressSanitizer and UndefinedBehaviorSanitizer, with the asserts on.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g" -DGRIDWICK_SANITIZE=ON -DGRIDWICK_BENCH=OFF -DGRIDWICK_PYTHON=OFF -DGRIDWICK_WEB=OFF >/dev/null
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp"
else
  dir=build
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
ninja -C "$dir"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
