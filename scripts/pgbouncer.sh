#!/usr/bin/env bash
# A throwaway pgbouncer in front of a server started by postgres.sh, on a free
# loopback port, as companies put one between their workstations and the CRM.
#   pgbouncer.sh start DIR PG_DIR MODE [POOL_SIZE]   prints the port
#       MODE: session or transaction; POOL_SIZE server connections per
#       database and user (2 by default); the login is PG_DIR's.
#   pgbouncer.sh stop DIR
set -euo pipefail
action=${1:?usage: pgbouncer.sh start|stop DIR ...}
dir=${2:?usage: pgbouncer.sh start|stop DIR ...}
bin=$(command -v pgbouncer || echo /usr/sbin/pgbouncer)

# pgbouncer refuses to run as root: root runs it as the postgres account.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$action" in
start)
  pgdir=${3:?usage: pgbouncer.sh start DIR PG_DIR MODE [POOL_SIZE]}
  mode=${4:?usage: pgbouncer.sh start DIR PG_DIR MODE [POOL_SIZE]}
  pool=${5:-2}
  [ -x "$bin" ] || { echo "pgbouncer not found; run scripts/install-deps.sh" >&2; exit 1; }
  pgport=$(cat "$pgdir/port")
  rm -rf "$dir"
  mkdir -p "$dir"
  printf '"postgres" "%s"\n' "$(cat "$pgdir/password")" > "$dir/users.txt"
  [ "$(id -u)" -eq 0 ] && chown -R postgres "$dir"
  for attempt in $(seq 1 20); do
    port=$(( 20000 + RANDOM % 30000 ))
    # A client waits for a server connection at most query_wait_timeout
    # seconds: long enough for the clients before it to finish their work.
    cat > "$dir/pgbouncer.ini" <<INI
[databases]
* = host=127.0.0.1 port=$pgport

[pgbouncer]
listen_addr = 127.0.0.1
listen_port = $port
unix_socket_dir =
auth_type = scram-sha-256
auth_file = $dir/users.txt
pool_mode = $mode
default_pool_size = $pool
min_pool_size = 0
reserve_pool_size = 0
max_client_conn = 200
query_wait_timeout = ${PGBOUNCER_WAIT_SECONDS:-60}
server_login_retry = 1
ignore_startup_parameters = extra_float_digits,options
logfile = $dir/pgbouncer.log
pidfile = $dir/pgbouncer.pid
INI
    [ "$(id -u)" -eq 0 ] && chown postgres "$dir/pgbouncer.ini"
    if as_owner "$bin" -d -q "$dir/pgbouncer.ini" 2>>"$dir/start.log"; then
      for wait in $(seq 1 50); do
        if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
          echo "$port" > "$dir/port"
          echo "$port"
          exit 0
        fi
        sleep 0.1
      done
      [ -f "$dir/pgbouncer.pid" ] && kill "$(cat "$dir/pgbouncer.pid")" 2>/dev/null || true
    fi
  done
  echo "could not start pgbouncer; see $dir/pgbouncer.log" >&2
  exit 1
  ;;
stop)
  if [ -f "$dir/pgbouncer.pid" ]; then
    pid=$(cat "$dir/pgbouncer.pid")
    kill "$pid" 2>/dev/null || true
    for wait in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  ;;
*)
  echo "usage: pgbouncer.sh start|stop DIR ..." >&2
  exit 2
  ;;
esac
