#!/usr/bin/env bash
# A throwaway PostgreSQL server on a free loopback port, run as an ordinary user.
#   postgres.sh start DIR   prints the port; the superuser is postgres, password in DIR/password
#   postgres.sh stop DIR
set -euo pipefail
action=${1:?usage: postgres.sh start|stop DIR}
dir=${2:?usage: postgres.sh start|stop DIR}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bin" ] || { echo "PostgreSQL server binaries not found; run scripts/install-deps.sh" >&2; exit 1; }

# The server refuses to run as root: root runs it as the postgres account.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$action" in
start)
  rm -rf "$dir"
  mkdir -p "$dir"
  [ "$(id -u)" -eq 0 ] && chown postgres "$dir"
  echo vendral > "$dir/password"
  [ "$(id -u)" -eq 0 ] && chown postgres "$dir/password"
  as_owner "$bin/initdb" -D "$dir/data" -U postgres -A trust --auth-host=scram-sha-256 \
    --pwfile="$dir/password" --no-sync -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
    || { cat "$dir/initdb.log" >&2; exit 1; }
  for attempt in $(seq 1 20); do
    port=$(( 20000 + RANDOM % 30000 ))
    if as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
         -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off -c max_connections=100" \
         start >/dev/null 2>&1; then
      echo "$port" > "$dir/port"
      echo "$port"
      exit 0
    fi
  done
  echo "could not start PostgreSQL; see $dir/server.log" >&2
  exit 1
  ;;
stop)
  [ -d "$dir/data" ] && as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null 2>&1 || true
  ;;
*)
  echo "usage: postgres.sh start|stop DIR" >&2
  exit 2
  ;;
esac
