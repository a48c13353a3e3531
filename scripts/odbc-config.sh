#!/usr/bin/env bash
# Writes a project-local driver list (odbcinst.ini) into DIR from the driver
# paths on this machine, so nothing under /etc is read or touched. DIR is then
# used as ODBCSYSINI; the data sources (odbc.ini) are added beside it.
#   scripts/odbc-config.sh DIR [--by-name]
# With --by-name the SQLite driver is named without its folder, so that the
# 64-bit and the 32-bit driver managers (Wine's 64-bit and 32-bit odbc32 hand
# connections to them) each load the driver of their own architecture from
# their own driver folder.
set -euo pipefail
dir=${1:?usage: odbc-config.sh DIR [--by-name]}
by_name=${2:-}
mkdir -p "$dir"

# This machine's own architecture first: the 32-bit drivers that Wine's 32-bit
# programs load sit beside them under /usr/lib/i386-linux-gnu.
find_driver() {
  local name=$1 path
  path=$(find "/usr/lib/$(uname -m)-linux-gnu" /usr/lib /usr/local/lib -name "$name" 2>/dev/null | head -n 1)
  [ -n "$path" ] || { echo "ODBC driver $name not found; run scripts/install-deps.sh" >&2; exit 1; }
  echo "$path"
}
sqlite=$(find_driver libsqlite3odbc.so)
if [ "$by_name" = --by-name ]; then sqlite=libsqlite3odbc.so; fi
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
