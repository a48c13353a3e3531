#!/usr/bin/env bash
# Times the kick on the demo database in SQLite and on the same data in a
# throwaway PostgreSQL server, beside a minimal raw ODBC loop (bench/kick_bench.cpp).
set -euo pipefail
build=${1:?usage: bench.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
demo=$build/demo
bench_dir=$build/bench-data
"$root/scripts/demo-setup.sh" "$build"
mkdir -p "$bench_dir"

# A copy of the demo database, so that the demo's own log is left as it was.
cp "$demo/crm.db" "$bench_dir/crm.db"
cat > "$bench_dir/odbc.ini" <<INI
[vendral_bench_sqlite]
Driver=SQLite3
Database=$bench_dir/crm.db
Timeout=100000
SyncPragma=NORMAL
INI
: > "$bench_dir/user-odbc.ini"
cp "$demo/odbc/odbcinst.ini" "$bench_dir/odbcinst.ini"
export ODBCSYSINI=$bench_dir
export ODBCINI=$bench_dir/user-odbc.ini

pgdir=$(mktemp -d /tmp/vendral-bench-pg.XXXXXX)
trap '"$root/scripts/postgres.sh" stop "$pgdir"; rm -rf "$pgdir"' EXIT
port=$("$root/scripts/postgres.sh" start "$pgdir")
password=$(cat "$pgdir/password")
cat >> "$bench_dir/odbc.ini" <<INI

[vendral_bench_pg]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$port
Database=postgres
INI

# The same rows in PostgreSQL, schema crm5 as the CRM has it.
pgbin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
psql=("$pgbin/psql" -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U postgres -d postgres)
export PGPASSWORD=$password
{
  echo "CREATE SCHEMA crm5; SET search_path TO crm5;"
  cat "$root/tests/support/crm_schema.sql"
} | "${psql[@]}" >/dev/null
for table in associate syncusers appointment syncsoapp sequence traveltransactionlog; do
  sqlite3 -csv "$bench_dir/crm.db" "SELECT * FROM $table" |
    "${psql[@]}" -c "\\copy crm5.$table FROM STDIN WITH (FORMAT csv)"
done
"${psql[@]}" -c "ANALYZE" >/dev/null

for engine in sqlite pg; do
  ini=$bench_dir/$engine.ini
  if [ $engine = sqlite ]; then
    printf '[Central]\nDSN=vendral_bench_sqlite\nDBPrefix=main.\n' > "$ini"
  else
    printf '[Central]\nDSN=vendral_bench_pg\nUID=postgres\nPWD=%s\nDBPrefix=CRM5\n' "$password" > "$ini"
  fi
done

kick_date=${KICK_DATE:-2026-01-01}
runs=${RUNS:-3}
"$build/bench/kick_bench" --label SQLite --ini "$bench_dir/sqlite.ini" --dsn vendral_bench_sqlite \
  --prefix main. --kick-date "$kick_date" --runs "$runs"
"$build/bench/kick_bench" --label PostgreSQL --ini "$bench_dir/pg.ini" --dsn vendral_bench_pg \
  --uid postgres --pwd "$password" --prefix CRM5. --kick-date "$kick_date" --runs "$runs"
