#!/usr/bin/env bash
# Builds the program and runs it under Wine (on a private Xvfb display when none is set).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MARLINDO_BUILD:-$root/build}
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
export MARLINDO_BUILD=$build
exe=$build/server/WMBusMarlindo.exe
if [ ! -f "$exe" ]; then
  echo "The program itself is not built yet: only its libraries and tests exist so far."
  exit 0
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/tools/wine-run" "$exe" "$@"
fi
exec "$root/tools/wine-run" "$exe" "$@"
