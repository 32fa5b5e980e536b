#!/usr/bin/env bash
# Installs what is missing, builds everything and runs all tests under Wine,
# with one Xvfb display and one private MariaDB server for the whole run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MARLINDO_BUILD:-$root/build}
"$root/tools/install-deps.sh"
MARLINDO_BUILD=$build "$root/tools/build.sh"
build=$(cd "$build" && pwd)

export MARLINDO_BUILD=$build
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all
"$root/tools/wine-prefix" "$WINEPREFIX"

run=$build/run; mkdir -p "$run"
pids=()
cleanup() {
  wineserver -k 2>/dev/null || true
  "$root/tools/db-server.sh" stop "$run/db" || true
  # A database of a test's own that a failed run left behind.
  for d in "$run"/own-db-*/; do [ -d "$d" ] && "$root/tools/db-server.sh" stop "${d%/}" || true; done
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

# One display for every test that opens windows.
for d in $(seq 90 140); do
  [ -e /tmp/.X11-unix/X$d ] || [ -e /tmp/.X$d-lock ] && continue
  Xvfb :$d -screen 0 1280x1024x24 -nolisten tcp >"$run/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 100); do [ -e /tmp/.X11-unix/X$d ] && break; sleep 0.05; done
  [ -e /tmp/.X11-unix/X$d ] && { export DISPLAY=:$d; break; }
done
[ -n "${DISPLAY:-}" ] || { echo "no display could be started" >&2; exit 1; }

# Keep one wineserver alive so each test start is cheap.
wineserver -p >/dev/null 2>&1 || true  # one may already serve this prefix
# Start Wine's background services now, detached from CTest's output pipes (a service that
# inherits a test's pipe would keep CTest waiting for that test forever).
wine cmd /c exit </dev/null >/dev/null 2>&1
# Start Wine's desktop process now and keep it for the whole run, for the same reason: started
# by a test, it would hold that test's output pipes.
coproc DESKTOP { "$root/tools/wine-run" "$build/tools/desktop/marlindo-desktop.exe" 2>/dev/null; }
pids+=($DESKTOP_PID)
read -r -t 60 _ <&"${DESKTOP[0]}" || { echo "Wine's desktop did not start" >&2; exit 1; }
db_env=$("$root/tools/db-server.sh" start "$run/db")  # a failed start ends the run here
eval "$db_env"

cd "$build"
# Each test executable gets a display of its own (tools/wine-run).
export MARLINDO_PRIVATE_DISPLAY=1
rc=0
ctest --output-on-failure -j "$(nproc)" "$@" || rc=$?
# A fault that Wine reports but that does not end the executable with an error still fails the run.
if grep -E "Unhandled (page fault|exception|illegal instruction|stack overflow)" Testing/Temporary/LastTest.log; then
  echo "a test executable faulted (see Testing/Temporary/LastTest.log)" >&2
  rc=1
fi
exit $rc
