#!/usr/bin/env bash
# Writes a project-local driver list (odbcinst.ini) into DIR from the driver
# paths on this machine, so nothing under /etc is read or touched. DIR is then
# used as ODBCSYSINI; the data sources (odbc.ini) are added beside it.
set -euo pipefail
dir=${1:?usage: odbc-config.sh DIR}
mkdir -p "$dir"

find_driver() {
  local name=$1 path found
  # The machine's own architecture first: a driver of another one (an i386
  # copy installed beside Wine's 32-bit loader) cannot be loaded here.
  found=$(find /usr/lib /usr/local/lib -name "$name" 2>/dev/null)
  path=$({ grep -F "/$(uname -m)-linux-gnu/" <<<"$found"; echo "$found"; } | grep -v '^$' | head -n 1)
  [ -n "$path" ] || { echo "ODBC driver $name not found; run scripts/install-deps.sh" >&2; exit 1; }
  echo "$path"
}
sqlite=$(find_driver libsqlite3odbc.so)
postgres=$(find_driver psqlodbcw.so)
mariadb=$(find_driver libmaodbc.so)

cat > "$dir/odbcinst.ini" <<INI
[ODBC]
Trace=No

[SQLite3]
Description=SQLite3 ODBC Driver
Driver=$sqlite
Setup=$sqlite
Threading=2

[PostgreSQL Unicode]
Description=PostgreSQL ODBC driver (Unicode version)
Driver=$postgres
Setup=$postgres

[MariaDB Unicode]
Description=MariaDB Connector/ODBC (Unicode)
Driver=$mariadb
Setup=$mariadb
INI
# The tests' fault-injecting driver (built beside DIR), which forwards to the
# SQLite driver and fails chosen calls on command.
fault="$(cd "$dir/.." && pwd)/odbc-drivers/libvendral-fault-odbc.so"
if [ -f "$fault" ]; then
  cat >> "$dir/odbcinst.ini" <<INI

[Vendral Fault Injection]
Description=Fault-injecting driver of the tests (forwards to SQLite3)
Driver=$fault
Setup=$sqlite
Threading=2
INI
fi
[ -f "$dir/odbc.ini" ] || : > "$dir/odbc.ini"
