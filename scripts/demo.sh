#!/usr/bin/env bash
# The embedded demo: creates the demo CRM database when it is missing (see
# demo-setup.sh) and kicks the synchronizer for all synchronizer users from
# 1 January 2026 on, printing what was logged.
set -euo pipefail
build=${1:?usage: demo.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
demo=$build/demo
"$root/scripts/demo-setup.sh" "$build"

export ODBCSYSINI=$demo/odbc
export ODBCINI=$demo/odbc/user-odbc.ini
prodwell=$build/tools/kick/prodwell
kick_date=2026-01-01

logged() { sqlite3 "$demo/crm.db" "SELECT COUNT(*) FROM traveltransactionlog"; }
before=$(logged)
echo "Kicking the synchronizer for all synchronizer users from $kick_date on:"
"$prodwell" --ini "$demo/prodwell.ini" --associate 0 --kick-date "$kick_date"
after=$(logged)
echo "The travel transaction log grew from $before to $after rows ($((after - before)) logged now)."
echo "Run 'make demo' again and the same rows are logged once more."
