#!/usr/bin/env bash
# Configures (once) and builds the Windows program and its tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MARLINDO_BUILD:-$root/build}
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/marlindo-ccache}
export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
mkdir -p "$build"
"$root/tools/icon-font.sh" "$build/iconfont"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$build" -j "$(nproc)"
