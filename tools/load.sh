#!/usr/bin/env bash
# Measures the program under a load of simulated gateways, beside a trivial thread-per-connection
# server under the same Wine. Builds first; runs on a private Xvfb display and Wine prefix.
#   tools/load.sh [contacts=2000] [parallel...=1 4 20]
# LOAD_TRIVIAL=0 skips the trivial server, LOAD_DB=0 the database mode, LOAD_HOLD=<n> sets the
# connections held open at once (default 1000, 0 skips it).
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

# Handshakes the kernel dropped because a listen queue was full (for the whole network namespace).
listen_drops() { awk '/^TcpExt:/ { if (!h) { for (i = 1; i <= NF; i++) n[$i] = i; h = 1 } else print $n["ListenOverflows"] }' /proc/net/netstat; }
# One load level against port; prints the tool's figures and the dropped handshakes.
# CPU time (ms, all threads) of the Linux process that runs the program; Wine's GetProcessTimes
# of another process reports less than this.
cpu_ms() { awk -v tick="$(getconf CLK_TCK)" '{ print int(($14 + $15) * 1000 / tick) }' "/proc/$1/stat" 2>/dev/null || echo 0; }
# One load level against port; prints the tool's figures, the server's CPU time when its Linux
# process id is in server_pid, and the dropped handshakes.
server_pid=
level() {
  local before cpu; before=$(listen_drops)
  [ -z "$server_pid" ] || cpu=$(cpu_ms "$server_pid")
  local rc=0
  "$root/tools/wine-run" "$load" run "$1" "$contacts" "$2" || rc=$?
  if [ "$rc" != 0 ]; then echo "  the load tool ended with exit code $rc"; return 1; fi
  if [ -n "$server_pid" ]; then
    echo "  server process (Linux): CPU $(( $(cpu_ms "$server_pid") - cpu )) ms," \
      "$(awk '/^VmHWM/ { printf "peak resident %.1f MiB", $2 / 1024 }' "/proc/$server_pid/status")"
  fi
  echo "  handshakes dropped at listen queues (whole network namespace): $(( $(listen_drops) - before ))"
}

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("",0)); print(s.getsockname()[1])'; }

if [ "${LOAD_TRIVIAL:-1}" != 0 ]; then
  echo "== trivial thread-per-connection server"
  tport=$(free_port)
  coproc TRIVIAL { "$root/tools/wine-run" "$load" trivial "$tport"; }
  read -r _ <&"${TRIVIAL[0]}"
  for p in "${levels[@]}"; do level "$tport" "$p" || true; done
  eval "exec ${TRIVIAL[1]}>&-"; wait "$TRIVIAL_PID" 2>/dev/null || true
fi

docs=$WINEPREFIX/drive_c/users/Public/Documents/VELMORA
mkdir -p "$docs"
status=0
# Runs the program with the settings given, then every level and the held connections.
program() {
  rm -rf "$docs/W_MBUS_SRV_LOG"
  local pport; pport=$(free_port)
  printf '[TCP]\r\nPORT=%s\r\nAUTOSTART=1\r\n%s' "$pport" "$1" >"$docs/WMBusMarlindo.INI"
  "$root/tools/wine-run" "$build/server/WMBusMarlindo.exe" >/dev/null 2>&1 & local pid=$!
  # One contact first: the program listens only once its start-up timer has switched it on.
  "$root/tools/wine-run" "$load" run "$pport" 1 1 >/dev/null || true
  server_pid=$pid
  for p in "${levels[@]}"; do level "$pport" "$p" || status=1; done
  if [ "${LOAD_HOLD:-1000}" != 0 ]; then
    local rc=0
    "$root/tools/wine-run" "$load" hold "$pport" "${LOAD_HOLD:-1000}" || rc=$?
    if [ "$rc" != 0 ]; then echo "  the load tool's hold step ended with exit code $rc"; status=1; fi
  fi
  server_pid=
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

echo "== WMBusMarlindo.exe, file mode"
program $'[DB]\r\nENABLE=0\r\n'
# Telegram lines of the CSV logs (0 when there are none; not a failure under pipefail).
csv_lines() { cat "$docs"/W_MBUS_SRV_LOG/*/*/*.csv 2>/dev/null | wc -l || true; }
echo "telegram lines in the CSV logs: $(csv_lines)"

if [ "${LOAD_DB:-1}" != 0 ]; then
  echo "== WMBusMarlindo.exe, database mode"
  if (exec 3<>/dev/tcp/127.0.0.1/3306) 2>/dev/null; then
    echo "port 3306 is taken; the program reaches its database only there, so database mode is left out"
  else
    db=$run/db
    eval "$("$root/tools/db-server.sh" start "$db")"
    trap '"$root/tools/db-server.sh" stop "$db"; cleanup' EXIT
    if [ "$MARLINDO_DB_PORT" != 3306 ]; then
      echo "the private database got port $MARLINDO_DB_PORT, not 3306 (taken meanwhile); database mode is left out"
      exit $status
    fi
    sql() { mariadb --no-defaults --socket="$MARLINDO_DB_SOCKET" -uroot -p"$MARLINDO_DB_PASSWORD" "$@"; }
    sql -e 'CREATE DATABASE db_marlindo'
    program $'[DB]\r\nENABLE=1\r\nSERVER=127.0.0.1\r\nNAME=db_marlindo\r\n'
    rows=0
    for t in $(sql -N db_marlindo -e 'SHOW TABLES'); do
      n=$(sql -N db_marlindo -e "SELECT COUNT(*) FROM \`$t\`") || { echo "counting the rows of $t failed"; exit 1; }
      rows=$((rows + n))
    done
    echo "rows in the database's tables: $rows"
    echo "telegram lines in CSV fallback logs: $(csv_lines)"
  fi
fi
exit $status
