#!/usr/bin/env bash
# A throwaway MariaDB server on a free loopback port, as postgres.sh starts
# PostgreSQL: a private data folder and socket, names of tables and databases
# compared without case (lower_case_table_names=1, as a CRM installation on
# MariaDB is set up, so that "CRM5.Sequence" finds crm5.sequence), the server's
# default SQL mode (backslashes escape in texts), and no durability.
#   mariadb.sh start DIR   prints the port; the user vendral (every privilege),
#                          password in DIR/password, socket DIR/socket
#   mariadb.sh stop DIR
set -euo pipefail
action=${1:?usage: mariadb.sh start|stop DIR}
dir=${2:?usage: mariadb.sh start|stop DIR}
server=$(command -v mariadbd || echo /usr/sbin/mariadbd)
install_db=$(command -v mariadb-install-db || echo /usr/bin/mariadb-install-db)
client=$(command -v mariadb || echo /usr/bin/mariadb)

# The server refuses to run as root unless told to: root runs it as the mysql account.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u mysql -- "$@"; else "$@"; fi
}

case "$action" in
start)
  [ -x "$server" ] || { echo "MariaDB server not found; run scripts/install-deps.sh" >&2; exit 1; }
  rm -rf "$dir"
  mkdir -p "$dir/data" "$dir/tmp"
  echo vendral > "$dir/password"
  # The options of every start, in a file of its own so that no file under /etc is read.
  cat > "$dir/my.cnf" <<CNF
[mariadbd]
datadir=$dir/data
tmpdir=$dir/tmp
socket=$dir/socket
pid-file=$dir/server.pid
log-error=$dir/server.log
bind-address=127.0.0.1
skip-name-resolve
lower_case_table_names=1
character-set-server=utf8mb4
collation-server=utf8mb4_bin
max_connections=200
skip-log-bin
innodb_buffer_pool_size=128M
innodb_log_file_size=32M
innodb_flush_log_at_trx_commit=0
innodb_doublewrite=0
sync_binlog=0
performance_schema=OFF
# The tests generate their rows with recursive common table expressions.
max_recursive_iterations=10000000
CNF
  # The server's account owns the folder (and reads the options) when root starts it.
  [ "$(id -u)" -eq 0 ] && chown -R mysql "$dir"
  as_owner "$install_db" --defaults-file="$dir/my.cnf" --auth-root-authentication-method=socket \
    --skip-test-db >"$dir/install.log" 2>&1 || { cat "$dir/install.log" >&2; exit 1; }
  for attempt in $(seq 1 20); do
    port=$(( 20000 + RANDOM % 30000 ))
    as_owner "$server" --defaults-file="$dir/my.cnf" --port="$port" >/dev/null 2>&1 &
    for wait in $(seq 1 300); do
      [ -S "$dir/socket" ] && break
      kill -0 $! 2>/dev/null || break
      sleep 0.1
    done
    if [ -S "$dir/socket" ]; then
      # The tests' account, reached over the loopback port with a password.
      # The installation's own account, found by the socket's peer (root, or
      # the ordinary user who installed it).
      "$client" --no-defaults --socket="$dir/socket" -u"$(id -un)" <<SQL
CREATE USER 'vendral'@'127.0.0.1' IDENTIFIED BY '$(cat "$dir/password")';
GRANT ALL PRIVILEGES ON *.* TO 'vendral'@'127.0.0.1' WITH GRANT OPTION;
SQL
      echo "$port" > "$dir/port"
      echo "$port"
      exit 0
    fi
  done
  echo "could not start MariaDB; see $dir/server.log" >&2
  exit 1
  ;;
stop)
  if [ -f "$dir/server.pid" ]; then
    pid=$(cat "$dir/server.pid")
    kill "$pid" 2>/dev/null || true
    for wait in $(seq 1 300); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
  fi
  ;;
*)
  echo "usage: mariadb.sh start|stop DIR" >&2
  exit 2
  ;;
esac
