#!/usr/bin/env bash
# Schema figures (part of make bench): the kicks on a CRM whose syncsoapp has
# no index on its appointment ids, beside one that has it, on both engines.
# The PostgreSQL tables without the index are never analysed, as in a
# database restored or loaded a moment ago.
#   1. The demo data: the set-based kick against the per-row kick and against
#      the single statement (bench/kick_bench --series kicks).
#   2. SQLite, ROWS_300K appointments with about 3,000 to log (kick date
#      DATE_300K): the set-based kick against the per-row kick.
#   3. Four set-based kicks (prodwell --batch) at once: on the demo data of
#      both engines and schemas, and on PostgreSQL over 60,000 appointments on
#      fresh tables without the index, directly and through pgbouncer in
#      session and in transaction pooling (a pool of 2).
#   4. A million appointments without the index (PostgreSQL: never
#      analysed): one set-based kick on each engine, and on PostgreSQL the
#      longest statement the server ran for it.
#   bench-schemas.sh BUILD_DIR PG_DIR BENCH_DIR
# BENCH_DIR holds the demo database crm.db; the data sources are added to
# $ODBCSYSINI/odbc.ini.
set -euo pipefail
build=${1:?usage: bench-schemas.sh BUILD_DIR PG_DIR BENCH_DIR}
pgdir=${2:?}
dir=${3:?}
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-5}
kick_date=${KICK_DATE:-2026-01-01}
rows_300k=${ROWS_300K:-300000}
date_300k=${DATE_300K:-2026-11-27}
port=$(cat "$pgdir/port")
password=$(cat "$pgdir/password")
pgbin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
export PGPASSWORD=$password
psql_on() {  # DATABASE [PSQL ARGS...]
  local database=$1
  shift
  "$pgbin/psql" -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U postgres -d "$database" "$@"
}
prodwell=$build/tools/kick/prodwell
tables="associate syncusers appointment syncsoapp sequence traveltransactionlog"

add_sqlite_source() {  # NAME FILE
  printf '\n[%s]\nDriver=SQLite3\nDatabase=%s\nTimeout=100000\nSyncPragma=NORMAL\n' "$1" "$2" \
    >> "$ODBCSYSINI/odbc.ini"
  printf '[Central]\nDSN=%s\nDBPrefix=main.\n' "$1" > "$dir/$1.ini"
}
add_pg_source() {  # NAME DATABASE PORT
  printf '\n[%s]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=%s\nDatabase=%s\n' \
    "$1" "$3" "$2" >> "$ODBCSYSINI/odbc.ini"
  printf '[Central]\nDSN=%s\nUID=postgres\nPWD=%s\nDBPrefix=CRM5\n' "$1" "$password" \
    > "$dir/$1.ini"
}

# A PostgreSQL database without the index, its tables kept from the server's
# automatic analysis, filled from an SQLite file: DATABASE SQLITE_FILE.
fresh_pg_database() {
  psql_on postgres -c "DROP DATABASE IF EXISTS $1" -c "CREATE DATABASE $1" >/dev/null
  {
    echo "CREATE SCHEMA crm5; SET search_path TO crm5;"
    grep -v "^CREATE INDEX syncsoapp_appointment" "$root/tests/support/crm_schema.sql"
    for table in $tables; do echo "ALTER TABLE $table SET (autovacuum_enabled = false);"; done
  } | psql_on "$1" >/dev/null
  for table in $tables; do
    sqlite3 -csv "$2" "SELECT * FROM $table" | psql_on "$1" -c "\\copy crm5.$table FROM STDIN WITH (FORMAT csv)"
  done
}
# The demo's rows generated at scale by the same arithmetic (64-bit, so that
# PostgreSQL's integers do not overflow): ROWS appointments.
demo_rows() {  # ROWS
  sed -e "s/SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000/SELECT CAST(1 AS BIGINT) UNION ALL SELECT i + 1 FROM n WHERE i < $1/" \
    "$root/scripts/demo-data.sql"
}
statistics_rows() {  # DATABASE: the rows of statistics the server holds on the kick's tables
  psql_on "$1" -Atc "SELECT COUNT(*) FROM pg_stats WHERE schemaname = 'crm5'"
}

kicks() {  # LABEL INI DSN PREFIX DATE [UID PWD]
  "$build/bench/kick_bench" --series kicks --label "$1" --ini "$2" --dsn "$3" --prefix "$4" \
    --kick-date "$5" --uid "${6:-}" --pwd "${7:-}" --runs "$runs"
}

# Four prodwell --batch at once: the slowest and the fastest, and failures.
four_at_once() {  # LABEL INI DATE
  local label=$1 ini=$2 date=$3 i start pids=() times=() failed=0
  start=$(date +%s%N)
  for i in 1 2 3 4; do
    (
      s=$(date +%s%N)
      if "$prodwell" --ini "$ini" --kick-date "$date" --batch > "$dir/four.$i.out" 2>&1; then
        echo $(( ($(date +%s%N) - s) / 1000000 )) > "$dir/four.$i.ms"
      else
        echo failed > "$dir/four.$i.ms"
      fi
    ) &
    pids+=($!)
  done
  wait "${pids[@]}"
  local wall=$(( ($(date +%s%N) - start) / 1000000 ))
  for i in 1 2 3 4; do
    if [ "$(cat "$dir/four.$i.ms")" = failed ]; then
      failed=$((failed + 1))
      echo "    kick $i: $(tail -n 1 "$dir/four.$i.out")"
    else
      times+=("$(cat "$dir/four.$i.ms")")
    fi
  done
  printf '  %-44s 4 kicks at once: all done in %6d ms, each %s ms%s\n' "$label" "$wall" \
    "$(IFS=/; echo "${times[*]:-}")" "$([ $failed = 0 ] || echo "; $failed FAILED")"
}

# 1. The demo data, with the index (the bench's own databases) and without.
cp "$dir/crm.db" "$dir/crm-noindex.db"
sqlite3 "$dir/crm-noindex.db" "DROP INDEX syncsoapp_appointment"
add_sqlite_source vendral_schema_sqlite_indexed "$dir/crm.db"
add_sqlite_source vendral_schema_sqlite_noindex "$dir/crm-noindex.db"
fresh_pg_database demo_noindex "$dir/crm-noindex.db"
add_pg_source vendral_schema_pg_indexed postgres "$port"
add_pg_source vendral_schema_pg_noindex demo_noindex "$port"
echo "The kicks by schema: syncsoapp with and without an index on appointment_id (PostgreSQL:"
echo "indexed tables analysed, tables without the index never analysed)"
kicks "SQLite, demo, indexed" "$dir/vendral_schema_sqlite_indexed.ini" vendral_schema_sqlite_indexed main. "$kick_date"
kicks "SQLite, demo, without index" "$dir/vendral_schema_sqlite_noindex.ini" vendral_schema_sqlite_noindex main. "$kick_date"
kicks "PostgreSQL, demo, indexed" "$dir/vendral_schema_pg_indexed.ini" vendral_schema_pg_indexed CRM5. "$kick_date" postgres "$password"
kicks "PostgreSQL, demo, without index, never analysed" "$dir/vendral_schema_pg_noindex.ini" vendral_schema_pg_noindex CRM5. "$kick_date" postgres "$password"
echo "  (statistics rows on the tables without the index: $(statistics_rows demo_noindex))"

# 2. SQLite, 300,000 appointments, about 3,000 to log.
demo_rows "$rows_300k" > "$dir/data-300k.sql"
for schema in indexed noindex; do
  rm -f "$dir/crm-300k-$schema.db"
  {
    echo "BEGIN;"
    cat "$root/tests/support/crm_schema.sql"
    cat "$dir/data-300k.sql"
    [ $schema = indexed ] || echo "DROP INDEX syncsoapp_appointment;"
    echo "COMMIT;"
  } | sqlite3 -batch -bail "$dir/crm-300k-$schema.db" >/dev/null
  add_sqlite_source "vendral_300k_$schema" "$dir/crm-300k-$schema.db"
done
kicks "SQLite, $rows_300k appointments, indexed" "$dir/vendral_300k_indexed.ini" vendral_300k_indexed main. "$date_300k"
kicks "SQLite, $rows_300k appointments, without index" "$dir/vendral_300k_noindex.ini" vendral_300k_noindex main. "$date_300k"

# 3. Four set-based kicks at once.
echo "Four set-based kicks at once (prodwell --batch, program start included):"
four_at_once "SQLite, demo, indexed" "$dir/vendral_schema_sqlite_indexed.ini" "$kick_date"
four_at_once "SQLite, demo, without index" "$dir/vendral_schema_sqlite_noindex.ini" "$kick_date"
four_at_once "PostgreSQL, demo, indexed" "$dir/vendral_schema_pg_indexed.ini" "$kick_date"
four_at_once "PostgreSQL, demo, without index" "$dir/vendral_schema_pg_noindex.ini" "$kick_date"
# 60,000 appointments of the demo's arithmetic on fresh tables without the index.
demo_rows 60000 > "$dir/data-60k.sql"
rm -f "$dir/crm-60k.db"
{
  echo "BEGIN;"
  grep -v "^CREATE INDEX syncsoapp_appointment" "$root/tests/support/crm_schema.sql"
  cat "$dir/data-60k.sql"
  echo "COMMIT;"
} | sqlite3 -batch -bail "$dir/crm-60k.db" >/dev/null
bouncers=$(mktemp -d /tmp/vendral-bench-schemas.XXXXXX)
chmod 755 "$bouncers"
trap '"$root/scripts/pgbouncer.sh" stop "$bouncers/session"; "$root/scripts/pgbouncer.sh" stop "$bouncers/transaction"; rm -rf "$bouncers"' EXIT
session_port=$("$root/scripts/pgbouncer.sh" start "$bouncers/session" "$pgdir" session 2)
transaction_port=$("$root/scripts/pgbouncer.sh" start "$bouncers/transaction" "$pgdir" transaction 2)
for route in direct session transaction; do
  # Fresh tables for each route: the kicks before would have written to them.
  fresh_pg_database "fresh60k_$route" "$dir/crm-60k.db"
  case $route in
  direct) p=$port ;;
  session) p=$session_port ;;
  transaction) p=$transaction_port ;;
  esac
  add_pg_source "vendral_60k_$route" "fresh60k_$route" "$p"
  four_at_once "PostgreSQL, 60,000, fresh, no index, $route" "$dir/vendral_60k_$route.ini" 2024-01-01
  echo "    (statistics rows: $(statistics_rows "fresh60k_$route"))"
done

# 4. A million appointments without the index, on tables never analysed.
rm -f "$dir/million-noindex.db"
{
  echo "PRAGMA journal_mode=WAL;"
  echo "BEGIN;"
  grep -v "^CREATE INDEX syncsoapp_appointment" "$root/tests/support/crm_schema.sql"
  demo_rows 1000000
  echo "COMMIT;"
} | sqlite3 -batch -bail "$dir/million-noindex.db" >/dev/null
fresh_pg_database million_noindex "$dir/million-noindex.db"
# Every statement's duration goes to the server's log, for this database only.
psql_on postgres -c "ALTER DATABASE million_noindex SET log_min_duration_statement = 0" >/dev/null
add_sqlite_source vendral_million_sqlite_noindex "$dir/million-noindex.db"
add_pg_source vendral_million_pg_noindex million_noindex "$port"
echo "A million appointments, $(sqlite3 "$dir/million-noindex.db" "SELECT COUNT(*) FROM syncsoapp") known to the synchronizer, without the index (prodwell --batch, program start included):"
for engine in sqlite pg; do
  log_lines=$(wc -l < "$pgdir/server.log")
  start=$(date +%s%N)
  if out=$("$prodwell" --ini "$dir/vendral_million_${engine}_noindex.ini" --kick-date 2024-01-01 --batch 2>&1); then
    result=$(echo "$out" | grep Inserts)
  else
    result="FAILED: $(echo "$out" | tail -n 1)"
  fi
  printf '  %-44s %6d ms: %s\n' "$engine, without index" $(( ($(date +%s%N) - start) / 1000000 )) "$result"
  if [ $engine = pg ]; then
    echo "    (statistics rows: $(statistics_rows million_noindex); longest statement: $(tail -n +$((log_lines + 1)) "$pgdir/server.log" |
      grep -o 'duration: [0-9.]* ms' | sort -t' ' -k2 -g | tail -n 1 | cut -d' ' -f2-))"
  fi
done
