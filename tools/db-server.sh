#!/usr/bin/env bash
# Starts or stops a private MariaDB server for the tests.
#   db-server.sh start <dir>   prints "export ..." lines describing how to reach it
#   db-server.sh start <dir> own   the same on a port of its own, never 3306 (for a server a test
#                                  stops and resumes: 3306 or an ephemeral port could be taken
#                                  by another server or a client connection while it is down)
#   db-server.sh stop <dir>
#   db-server.sh resume <dir>  starts a stopped server again on its data and port
# It listens on 127.0.0.1, on the driver's default port 3306 when that is free (the program's
# settings carry no port), else on a free port, which MYSQL_TCP_PORT hands to the client library. User root, password as the program's default.
set -euo pipefail
cmd=$1 dir=$2
user=root password=4kq9rwzt
runas=(); [ "$(id -u)" -eq 0 ] && runas=(--user=root)
serve() {
  mariadbd --no-defaults --datadir="$dir/data" "${runas[@]}" --bind-address=127.0.0.1 --port="$1" \
    --socket="$dir/mysqld.sock" --pid-file="$dir/mysqld.pid" --skip-name-resolve \
    --innodb-buffer-pool-size=64M --log-error="$dir/error.log" >/dev/null 2>&1 &
  local pid=$!
  for _ in $(seq 1 600); do
    mariadb --no-defaults --socket="$dir/mysqld.sock" -uroot "${@:2}" -e 'select 1' >/dev/null 2>&1 && return 0
    kill -0 "$pid" 2>/dev/null || break  # ended, e.g. its port was taken
    sleep 0.1
  done
  echo "the MariaDB in $dir did not come up" >&2
  return 1
}
case $cmd in
start)
  rm -rf "$dir"; mkdir -p "$dir/data"
  mariadb-install-db --no-defaults --datadir="$dir/data" "${runas[@]}" \
    --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1
  free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
  # A free port below the system's ephemeral range, which outgoing connections never take.
  own_port() {
    python3 -c '
import random, socket
low = int(open("/proc/sys/net/ipv4/ip_local_port_range").read().split()[0])
for port in random.sample(range(20000, min(low, 32768)), 200):
    s = socket.socket()
    try:
        s.bind(("127.0.0.1", port)); print(port); break
    except OSError:
        pass
    finally:
        s.close()'
  }
  port=3306
  if [ "${3:-}" = own ]; then
    port=$(own_port)
  else
    (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && port=$(free_port)
  fi
  # Another server may take 3306 between the look and the start: then a free port.
  if ! serve "$port"; then
    [ "$port" = 3306 ] || [ "${3:-}" = own ] || exit 1
    port=$( [ "${3:-}" = own ] && own_port || free_port)
    serve "$port"
  fi
  echo "$port" >"$dir/port"
  mariadb --no-defaults --socket="$dir/mysqld.sock" -uroot <<SQL
ALTER USER 'root'@'localhost' IDENTIFIED BY '$password';
CREATE OR REPLACE USER 'root'@'127.0.0.1' IDENTIFIED BY '$password';
GRANT ALL PRIVILEGES ON *.* TO 'root'@'127.0.0.1' WITH GRANT OPTION;
FLUSH PRIVILEGES;
SQL
  echo "export MARLINDO_DB_HOST=127.0.0.1 MARLINDO_DB_PORT=$port MARLINDO_DB_USER=$user MARLINDO_DB_PASSWORD=$password MARLINDO_DB_SOCKET=$dir/mysqld.sock MYSQL_TCP_PORT=$port"
  ;;
resume)
  serve "$(cat "$dir/port")" -p"$password"
  ;;
stop)
  if [ -f "$dir/mysqld.pid" ]; then
    pid=$(cat "$dir/mysqld.pid")
    kill "$pid" 2>/dev/null || true
    # Until it has ended: a server started again on the same data and port needs both free.
    for _ in $(seq 1 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  ;;
esac
