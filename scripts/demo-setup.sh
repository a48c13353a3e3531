#!/usr/bin/env bash
# Prepares the embedded demo under BUILD_DIR/demo, leaving what exists alone:
#   crm.db        a CRM database in SQLite with three years of appointments and tasks
#   odbc/         the project-local ODBC configuration with the data source vendral_demo
#   prodwell.ini  the settings file of prodwell pointing at that data source
# Callers export ODBCSYSINI=BUILD_DIR/demo/odbc and ODBCINI=BUILD_DIR/demo/odbc/user-odbc.ini.
set -euo pipefail
build=${1:?usage: demo-setup.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
demo=$build/demo
mkdir -p "$demo"

"$root/scripts/odbc-config.sh" "$demo/odbc" >/dev/null
# The data source is written every time, so a moved build folder still finds its database.
cat > "$demo/odbc/odbc.ini" <<INI
[vendral_demo]
Driver=SQLite3
Database=$demo/crm.db
Timeout=100000
SyncPragma=NORMAL
INI
[ -f "$demo/odbc/user-odbc.ini" ] || : > "$demo/odbc/user-odbc.ini"

if [ ! -f "$demo/prodwell.ini" ]; then
  cat > "$demo/prodwell.ini" <<INI
[Central]
DSN=vendral_demo
UID=
PWD=
DBPrefix=main.

[Local]
DSN=vendral_demo
DBPrefix=main.
INI
fi

if [ ! -f "$demo/crm.db" ]; then
  echo "Creating the demo CRM database $demo/crm.db" >&2
  rm -f "$demo/crm.db.new"
  {
    echo "PRAGMA journal_mode=WAL;"
    echo "BEGIN;"
    cat "$root/tests/support/crm_schema.sql"
    cat "$root/scripts/demo-data.sql"
    echo "COMMIT;"
  } | sqlite3 -batch -bail "$demo/crm.db.new" >/dev/null
  # Renamed only when complete, so that a failed run is not mistaken for a demo database.
  mv "$demo/crm.db.new" "$demo/crm.db"
fi
