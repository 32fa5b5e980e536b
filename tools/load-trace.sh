#!/usr/bin/env bash
# Counts the Wine server requests a gateway contact costs the program, per request kind, and the
# Linux CPU time of the program and of the Wine server per contact. The program runs under a
# Wine server of its own that traces every request; the load tool runs under another, so only
# the program's requests are counted. An idle stretch as long as the load run is counted too and
# taken off (timers and painting that run without contacts).
#   tools/load-trace.sh [contacts=200] [parallel=1] [mode=file|db]
# Builds the program and the load tool first. Prints the requests per contact, most frequent first, and the totals.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MARLINDO_BUILD:-$root/build}
# Only the program and the load tool: the tests need not be built for a trace.
if [ -f "$build/build.ninja" ]; then
  CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/marlindo-ccache} CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1 \
    cmake --build "$build" --target WMBusMarlindo marlindo-load >/dev/null
else
  "$root/tools/build.sh" >/dev/null
fi
build=$(cd "$build" && pwd)
contacts=${1:-200}; parallel=${2:-1}; mode=${3:-file}
export MARLINDO_BUILD=$build WINEDEBUG=-all
load=$build/tools/load/marlindo-load.exe
run=$build/trace-run; mkdir -p "$run"
srvprefix=${TRACE_SERVER_PREFIX:-$build/trace-wineprefix}
loadprefix=${TRACE_LOAD_PREFIX:-$build/load-wineprefix}
[ -f "$srvprefix/.marlindo-ready" ] || "$root/tools/wine-prefix" "$srvprefix"
[ -f "$loadprefix/.marlindo-ready" ] || "$root/tools/wine-prefix" "$loadprefix"

pids=()
db=
cleanup() {
  WINEPREFIX=$srvprefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$loadprefix wineserver -k 2>/dev/null || true
  [ -z "$db" ] || "$root/tools/db-server.sh" stop "$db" || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for d in $(seq 191 240); do
    [ -e /tmp/.X11-unix/X$d ] || [ -e /tmp/.X$d-lock ] && continue
    Xvfb :$d -screen 0 1280x1024x24 -nolisten tcp >"$run/xvfb.log" 2>&1 & pids+=($!)
    for _ in $(seq 1 100); do [ -e /tmp/.X11-unix/X$d ] && break; sleep 0.05; done
    export DISPLAY=:$d; break
  done
fi

# The program's Wine server, tracing every request of every thread to trace.log. A server of the
# prefix that is still ending would keep the new one from starting (and serve the program
# untraced): wait until its socket has gone, then until the new one's is there.
# (Its folder is /tmp/.wine-<uid> or, on Debian, /tmp/wine-<random>.)
server_up() {
  local name; name="server-$(stat -c %D "$srvprefix")-$(printf %x "$(stat -c %i "$srvprefix")")"
  compgen -G "/tmp/.wine-$(id -u)/$name/socket" >/dev/null || compgen -G "/tmp/wine-*/$name/socket" >/dev/null
}
WINEPREFIX=$srvprefix wineserver -k 2>/dev/null || true
for _ in $(seq 1 200); do server_up || break; sleep 0.05; done
trace=$run/trace.log
# Persistent: it must not end while nothing runs on it yet (the database may take a while).
WINEPREFIX=$srvprefix wineserver -f -p -d1 2>"$trace" & wspid=$!; pids+=($wspid)
for _ in $(seq 1 200); do server_up && break; sleep 0.05; done
server_up && kill -0 "$wspid" 2>/dev/null || { echo "the tracing Wine server did not start" >&2; exit 1; }
WINEPREFIX=$srvprefix wine cmd /c exit </dev/null >/dev/null 2>&1
WINEPREFIX=$loadprefix wineserver -p >/dev/null 2>&1 || true
WINEPREFIX=$loadprefix wine cmd /c exit </dev/null >/dev/null 2>&1

docs=$srvprefix/drive_c/users/Public/Documents/VELMORA
mkdir -p "$docs"; rm -rf "$docs/W_MBUS_SRV_LOG"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("",0)); print(s.getsockname()[1])')
settings=$'[DB]\r\nENABLE=0\r\n'
if [ "$mode" = db ]; then
  db=$run/db
  eval "$("$root/tools/db-server.sh" start "$db")"
  mariadb --no-defaults --socket="$MARLINDO_DB_SOCKET" -uroot -p"$MARLINDO_DB_PASSWORD" \
    -e 'DROP DATABASE IF EXISTS db_marlindo; CREATE DATABASE db_marlindo'
  settings=$'[DB]\r\nENABLE=1\r\nSERVER=127.0.0.1\r\nNAME=db_marlindo\r\n'
fi
printf '[TCP]\r\nPORT=%s\r\nAUTOSTART=1\r\n%s' "$port" "$settings" >"$docs/WMBusMarlindo.INI"
WINEPREFIX=$srvprefix "$root/tools/wine-run" "$build/server/WMBusMarlindo.exe" >/dev/null 2>&1 & srv=$!
loadrun() { WINEPREFIX=$loadprefix "$root/tools/wine-run" "$load" run "$port" "$@"; }
# Warm up: the start-up timer switches the server on; the first contacts of a gateway make its
# files, tables and status rows.
loadrun 1 1 >/dev/null || true
loadrun 100 "$parallel" >/dev/null || true
sleep 1

cpu_ms() { awk -v tick="$(getconf CLK_TCK)" '{ print int(($14 + $15) * 1000 / tick) }' "/proc/$1/stat"; }
lines() { wc -l <"$trace"; }
# Requests between two lines of the trace, counted per kind; those of the program's main thread
# (the one that asks for messages most) are counted apart as "main:<kind>".
count() {
  sed -n "$(($1 + 1)),$2p" "$trace" | grep -vE "^[0-9a-f]{4}: [a-z_0-9]+\(\) = " |
    sed -nE 's/^([0-9a-f]{4}): ([a-z_0-9]+)\(.*/\1 \2/p' >"$run/requests"
  main=$(awk '$2 == "get_message" { n[$1]++ } END { for (t in n) if (n[t] > best) { best = n[t]; id = t } print id }' "$run/requests")
  awk -v main="$main" '{ print ($1 == main ? "main:" : "") $2 }' "$run/requests" | sort | uniq -c
}

t0=$(date +%s.%N); l0=$(lines); c0=$(cpu_ms "$srv"); w0=$(cpu_ms "$wspid")
loadrun "$contacts" "$parallel"
t1=$(date +%s.%N); l1=$(lines); c1=$(cpu_ms "$srv"); w1=$(cpu_ms "$wspid")
seconds=$(echo "$t1 - $t0" | bc)
sleep "$seconds"
l2=$(lines)
sed -n "$((l0 + 1)),${l1}p" "$trace" >"$run/load.trace"  # kept for a closer look
count "$l0" "$l1" >"$run/load.counts"
count "$l1" "$l2" >"$run/idle.counts"
echo "== $contacts contacts at parallel $parallel, $mode mode, $seconds s (idle stretch as long)"
echo "program CPU (Linux) per contact: $(echo "scale=2; ($c1 - $c0) / $contacts" | bc) ms;" \
  "Wine server CPU per contact: $(echo "scale=2; ($w1 - $w0) / $contacts" | bc) ms"
echo "Wine server requests per contact (idle stretch taken off), by kind (main: the main thread):"
awk -v n="$contacts" 'NR == FNR { idle[$2] = $1; next } { v = ($1 - idle[$2]) / n; t += v; if ($2 ~ /^main:/) m += v
    if (v >= 0.05) printf "%8.2f %s\n", v, $2 } END { printf "%8.2f total\n%8.2f total of the main thread\n", t, m }' \
  "$run/idle.counts" "$run/load.counts" | sort -rn
kill "$srv" 2>/dev/null || true
wait "$srv" 2>/dev/null || true
