#!/usr/bin/env bash
# Measures the program under a load of simulated gateways, beside a trivial thread-per-connection
# server under the same Wine. Builds first; runs on a private Xvfb display and Wine prefix.
#   tools/load.sh [contacts=2000] [parallel...=1 4 20]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MARLINDO_BUILD:-$root/build}
"$root/tools/build.sh" >/dev/null
build=$(cd "$build" && pwd)
export MARLINDO_BUILD=$build WINEDEBUG=-all
export WINEPREFIX=$build/load-wineprefix
[ -f "$WINEPREFIX/.marlindo-ready" ] || "$root/tools/wine-prefix" "$WINEPREFIX"
contacts=${1:-2000}; shift || true
levels=("$@"); [ ${#levels[@]} -gt 0 ] || levels=(1 4 20)
load=$build/tools/load/marlindo-load.exe
run=$build/load-run; mkdir -p "$run"

pids=()
cleanup() {
  exec 3>&- 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for d in $(seq 141 190); do
    [ -e /tmp/.X11-unix/X$d ] || [ -e /tmp/.X$d-lock ] && continue
    Xvfb :$d -screen 0 1280x1024x24 -nolisten tcp >"$run/xvfb.log" 2>&1 & pids+=($!)
    for _ in $(seq 1 100); do [ -e /tmp/.X11-unix/X$d ] && break; sleep 0.05; done
    export DISPLAY=:$d; break
  done
fi
wineserver -p >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("",0)); print(s.getsockname()[1])'; }

echo "== trivial thread-per-connection server"
tport=$(free_port)
coproc TRIVIAL { "$root/tools/wine-run" "$load" trivial "$tport"; }
read -r _ <&"${TRIVIAL[0]}"
for p in "${levels[@]}"; do "$root/tools/wine-run" "$load" run "$tport" "$contacts" "$p" || true; done
eval "exec ${TRIVIAL[1]}>&-"; wait "$TRIVIAL_PID" 2>/dev/null || true

echo "== WMBusMarlindo.exe, file mode"
docs=$WINEPREFIX/drive_c/users/Public/Documents/VELMORA
mkdir -p "$docs"; rm -rf "$docs/W_MBUS_SRV_LOG"
pport=$(free_port)
printf '[TCP]\r\nPORT=%s\r\nAUTOSTART=1\r\n[DB]\r\nENABLE=0\r\n' "$pport" >"$docs/WMBusMarlindo.INI"
"$root/tools/wine-run" "$build/server/WMBusMarlindo.exe" >/dev/null 2>&1 & pids+=($!)
status=0
for p in "${levels[@]}"; do "$root/tools/wine-run" "$load" run "$pport" "$contacts" "$p" || status=1; done
lines=$(cat "$docs"/W_MBUS_SRV_LOG/*/*/*.csv 2>/dev/null | wc -l)
echo "telegram lines in the CSV logs: $lines"
exit $status
