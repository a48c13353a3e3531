#!/usr/bin/env bash
# Times the kick (per row and set-based) and the query helpers on the demo
# database in SQLite and on the same data in throwaway PostgreSQL and MariaDB
# servers, beside minimal raw ODBC loops (bench/kick_bench.cpp); then measures
# the peak resident memory of kicks over a generated database of a million
# appointments on the three engines (BENCH_ROWS rows; the per-row kick is
# stopped after PER_ROW_SECONDS seconds, its memory being that of its read).
set -euo pipefail
# The settings files below hold a password: readable by their owner only.
umask 077
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
mariadbdir=$(mktemp -d /tmp/vendral-bench-mariadb.XXXXXX)
# Root runs the MariaDB server as the mysql account, which must reach its folder.
chmod 755 "$mariadbdir"
trap '"$root/scripts/postgres.sh" stop "$pgdir"; rm -rf "$pgdir";
      "$root/scripts/mariadb.sh" stop "$mariadbdir/server"; rm -rf "$mariadbdir"' EXIT
port=$("$root/scripts/postgres.sh" start "$pgdir")
mariadb_port=$("$root/scripts/mariadb.sh" start "$mariadbdir/server")
mariadb_password=$(cat "$mariadbdir/server/password")
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

# The same rows in MariaDB, database crm5 (the CRM's prefix, found without
# case). INFILE is a reserved word there: the column is back-quoted.
mariadb_cli=(mariadb --no-defaults --local-infile=1 -h 127.0.0.1 -P "$mariadb_port" -u vendral
  "-p$mariadb_password")
load_mariadb() {  # DATABASE SQLITE_FILE TABLES...: a fresh database with the tables' rows
  local database=$1 file=$2 table
  shift 2
  { echo "CREATE DATABASE $database; USE $database;"
    sed -e 's/ infile / `infile` /' "$root/tests/support/crm_schema.sql"; } | "${mariadb_cli[@]}"
  for table in "$@"; do
    sqlite3 -csv -nullvalue '\N' "$file" "SELECT * FROM $table" > "$bench_dir/$table.csv"
    "${mariadb_cli[@]}" "$database" -e "LOAD DATA LOCAL INFILE '$bench_dir/$table.csv' INTO TABLE $table
      FIELDS TERMINATED BY ',' OPTIONALLY ENCLOSED BY '\"' LINES TERMINATED BY '\n'"
    rm -f "$bench_dir/$table.csv"
  done
  "${mariadb_cli[@]}" "$database" -e "ANALYZE TABLE $(IFS=,; echo "$*")" >/dev/null
}
load_mariadb crm5 "$bench_dir/crm.db" associate syncusers appointment syncsoapp sequence \
  traveltransactionlog
cat >> "$bench_dir/odbc.ini" <<INI

[vendral_bench_mariadb]
Driver=MariaDB Unicode
Server=127.0.0.1
Port=$mariadb_port
Database=crm5
INI

for engine in sqlite pg mariadb; do
  ini=$bench_dir/$engine.ini
  if [ $engine = sqlite ]; then
    printf '[Central]\nDSN=vendral_bench_sqlite\nDBPrefix=main.\n' > "$ini"
  elif [ $engine = pg ]; then
    printf '[Central]\nDSN=vendral_bench_pg\nUID=postgres\nPWD=%s\nDBPrefix=CRM5\n' "$password" > "$ini"
  else
    printf '[Central]\nDSN=vendral_bench_mariadb\nUID=vendral\nPWD=%s\nDBPrefix=CRM5\n' \
      "$mariadb_password" > "$ini"
  fi
done

kick_date=${KICK_DATE:-2026-01-01}
runs=${RUNS:-5}
# SKIP_TIMINGS=1 measures only the memory of the million-row kicks.
[ "${SKIP_TIMINGS:-0}" = 1 ] || "$build/bench/kick_bench" --label SQLite --ini "$bench_dir/sqlite.ini" --dsn vendral_bench_sqlite \
  --prefix main. --kick-date "$kick_date" --runs "$runs"
[ "${SKIP_TIMINGS:-0}" = 1 ] || "$build/bench/kick_bench" --label PostgreSQL --ini "$bench_dir/pg.ini" --dsn vendral_bench_pg \
  --uid postgres --pwd "$password" --prefix CRM5. --kick-date "$kick_date" --runs "$runs"
[ "${SKIP_TIMINGS:-0}" = 1 ] || "$build/bench/kick_bench" --label MariaDB --ini "$bench_dir/mariadb.ini" --dsn vendral_bench_mariadb \
  --uid vendral --pwd "$mariadb_password" --prefix CRM5. --kick-date "$kick_date" --runs "$runs"

# The kicks on a syncsoapp without the index and on tables never analysed,
# beside the indexed schema (SKIP_SCHEMAS=1 leaves them out).
[ "${SKIP_SCHEMAS:-0}" = 1 ] || "$root/scripts/bench-schemas.sh" "$build" "$pgdir" "$bench_dir"

# K kicks and M ExecSQL writers at once, directly and through pgbouncer
# (SKIP_LOAD=1 leaves them out).
[ "${SKIP_LOAD:-0}" = 1 ] || "$root/scripts/bench-load.sh" "$build" "$pgdir" postgres "$bench_dir"

# INSTRUCTIONS=1: the instructions the client executes for the per-row kick
# and its raw loops, the set-based kick and the single statement, and the helper
# loops, counted by callgrind around the work alone (free of the machine's
# load; the engine's work is in it for SQLite, which runs in the process, and
# not for the PostgreSQL server). Slow: valgrind runs each piece once.
if [ "${INSTRUCTIONS:-0}" = 1 ] && command -v valgrind >/dev/null; then
  count_instructions() {  # LABEL ARGS...
    local label=$1 out=$bench_dir/callgrind.out what
    shift
    declare -A n
    for what in per-row raw-same raw-calls batch floor count raw-count first raw-first; do
      valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$out" \
        "$build/bench/kick_bench" "$@" --kick-date "$kick_date" --helper-calls 500 \
        --only "$what" >/dev/null 2>&1
      n[$what]=$(grep '^summary:' "$out" | cut -d' ' -f2)
    done
    rm -f "$out"
    awk -v l="$label" -v a="${n[per-row]}" -v b="${n[raw-same]}" -v i="${n[raw-calls]}" -v c="${n[batch]}" \
      -v d="${n[floor]}" -v e="${n[count]}" -v f="${n[raw-count]}" -v g="${n[first]}" \
      -v h="${n[raw-first]}" 'BEGIN {
        printf "%s, instructions of the client (callgrind):\n", l
        printf "  per-row kick %.0f M, raw loop same calls %.0f M: ratio %.3f\n", a/1e6, i/1e6, i/a
        printf "  per-row kick %.0f M, raw loop same transactions %.0f M: ratio %.3f\n", a/1e6, b/1e6, b/a
        printf "  set-based kick %.1f M, single statement %.1f M: ratio %.2f; per-row / set-based %.1f\n", c/1e6, d/1e6, c/d, a/c
        printf "  500 x CountRecords %.2f M / raw %.2f M: ratio %.3f\n", e/1e6, f/1e6, f/e
        printf "  500 x GetFirstLongRecord %.2f M / raw %.2f M: ratio %.3f\n", g/1e6, h/1e6, h/g
      }'
  }
  count_instructions SQLite --label SQLite --ini "$bench_dir/sqlite.ini" --dsn vendral_bench_sqlite \
    --prefix main.
  count_instructions PostgreSQL --label PostgreSQL --ini "$bench_dir/pg.ini" --dsn vendral_bench_pg \
    --uid postgres --pwd "$password" --prefix CRM5.
fi

# A million appointments: the demo's rows, generated at scale by the same
# arithmetic (64-bit, so that PostgreSQL's integers do not overflow).
rows=${BENCH_ROWS:-1000000}
per_row_seconds=${PER_ROW_SECONDS:-30}
sed -e "s/SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000/SELECT CAST(1 AS BIGINT) UNION ALL SELECT i + 1 FROM n WHERE i < $rows/" \
  "$root/scripts/demo-data.sql" > "$bench_dir/million-data.sql"
rm -f "$bench_dir"/million.db*
{
  echo "PRAGMA journal_mode=WAL;"
  echo "BEGIN;"
  cat "$root/tests/support/crm_schema.sql"
  cat "$bench_dir/million-data.sql"
  echo "COMMIT;"
} | sqlite3 -batch -bail "$bench_dir/million.db" >/dev/null
"${psql[@]}" -c "CREATE DATABASE million" >/dev/null
psql_million=("$pgbin/psql" -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U postgres -d million)
{
  echo "CREATE SCHEMA crm5; SET search_path TO crm5;"
  cat "$root/tests/support/crm_schema.sql"
} | "${psql_million[@]}" >/dev/null
# The same rows copied over, as for the demo data (the generator is SQLite's dialect).
for table in associate syncusers appointment syncsoapp sequence; do
  sqlite3 -csv "$bench_dir/million.db" "SELECT * FROM $table" |
    "${psql_million[@]}" -c "\\copy crm5.$table FROM STDIN WITH (FORMAT csv)"
done
"${psql_million[@]}" -c "ANALYZE" >/dev/null
load_mariadb million "$bench_dir/million.db" associate syncusers appointment syncsoapp sequence
cat >> "$bench_dir/odbc.ini" <<INI

[vendral_million_sqlite]
Driver=SQLite3
Database=$bench_dir/million.db
Timeout=100000
SyncPragma=NORMAL

[vendral_million_pg]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$port
Database=million

[vendral_million_mariadb]
Driver=MariaDB Unicode
Server=127.0.0.1
Port=$mariadb_port
Database=million
INI
printf '[Central]\nDSN=vendral_million_sqlite\nDBPrefix=main.\n' > "$bench_dir/million-sqlite.ini"
printf '[Central]\nDSN=vendral_million_mariadb\nUID=vendral\nPWD=%s\nDBPrefix=MILLION\n' \
  "$mariadb_password" > "$bench_dir/million-mariadb.ini"
printf '[Central]\nDSN=vendral_million_pg\nUID=postgres\nPWD=%s\nDBPrefix=CRM5\n' "$password" \
  > "$bench_dir/million-pg.ini"

# Every known appointment and task of the million is due from 2024 on: all are read.
million_date=2024-01-01
prodwell=$build/tools/kick/prodwell
echo "Peak resident memory over $rows appointments ($(sqlite3 "$bench_dir/million.db" \
  "SELECT COUNT(*) FROM syncsoapp") known to the synchronizer), kick date $million_date:"
log_rows() {  # ENGINE: the rows of the million database's log
  if [ "$1" = pg ]; then
    "${psql_million[@]}" -Atc "SELECT COUNT(*) FROM crm5.traveltransactionlog"
  elif [ "$1" = mariadb ]; then
    "${mariadb_cli[@]}" -N -B million -e "SELECT COUNT(*) FROM traveltransactionlog"
  else
    sqlite3 "$bench_dir/million.db" "SELECT COUNT(*) FROM traveltransactionlog"
  fi
}
ratios=()
# SQLite in write-ahead-log mode, then with its default rollback journal.
for engine in sqlite sqlite-journal pg mariadb; do
  ini=$bench_dir/million-${engine%-journal}.ini
  [ $engine = sqlite-journal ] && sqlite3 "$bench_dir/million.db" "PRAGMA journal_mode=DELETE" >/dev/null
  before=$(log_rows $engine)
  start=$(date +%s%N)
  out=$("$build/bench/peak_rss" "$prodwell" --ini "$ini" --kick-date "$million_date" --batch 2>&1)
  end=$(date +%s%N)
  batch_logged=$(( $(log_rows $engine) - before ))
  batch_ms=$(( (end - start) / 1000000 ))
  printf '  %-14s set-based kick: %s in %s ms (program start and opening included): %s\n' "$engine" \
    "$(echo "$out" | grep -o 'peak_rss_kb=[0-9]*' | cut -d= -f2) kB" "$batch_ms" \
    "$(echo "$out" | grep Inserts)"
  before=$(log_rows $engine)
  start=$(date +%s%N)
  out=$("$build/bench/peak_rss" --seconds "$per_row_seconds" "$prodwell" --ini "$ini" \
    --kick-date "$million_date" 2>&1)
  end=$(date +%s%N)
  per_row_logged=$(( $(log_rows $engine) - before ))
  per_row_ms=$(( (end - start) / 1000000 ))
  printf '  %-14s per-row kick:   %s (%s), %s rows logged in %s ms\n' "$engine" \
    "$(echo "$out" | grep -o 'peak_rss_kb=[0-9]*' | cut -d= -f2) kB" \
    "$(echo "$out" | grep -o 'stopped after the time limit' || echo "$out" | grep Inserts)" \
    "$per_row_logged" "$per_row_ms"
  ratios+=("$(awk -v e=$engine -v a=$batch_logged -v b=$batch_ms -v c=$per_row_logged -v d=$per_row_ms \
    'BEGIN { if (c > 0 && b > 0) printf "    %-14s set-based / per-row, logged rows per second  %6.1f  (goal >= 20)", e, (a / b) / (c / d) }')")
done
echo "  ratios over the million rows:"
printf '%s\n' "${ratios[@]}"
