#!/usr/bin/env bash
# Load figures (part of make bench): K prodwell kicks and M ExecSQL writers
# (bench/exec_sql_writer) started at once on PostgreSQL, directly and through
# pgbouncer (transaction pooling, a pool of POOL_SIZE server connections), for
# 1, 2, 4 and 8 clients: rows per second in total and per client, and the share
# of the clients' server time spent waiting for a lock (the Sequence row: the
# log writers' only shared row), sampled from pg_stat_activity.
#   bench-load.sh BUILD_DIR PG_DIR DATABASE SETTINGS_DIR
# The database holds the demo data in schema crm5; SETTINGS_DIR gets the
# settings files and the data sources are added to $ODBCSYSINI/odbc.ini.
set -euo pipefail
build=${1:?usage: bench-load.sh BUILD_DIR PG_DIR DATABASE SETTINGS_DIR}
pgdir=${2:?}
database=${3:?}
dir=${4:?}
root=$(cd "$(dirname "$0")/.." && pwd)
pool_size=${POOL_SIZE:-2}
writer_rows=${WRITER_ROWS:-300}
kick_date=${KICK_DATE:-2026-01-01}
clients_list=${LOAD_CLIENTS:-1 2 4 8}
port=$(cat "$pgdir/port")
password=$(cat "$pgdir/password")
pgbin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
psql=("$pgbin/psql" -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U postgres -d "$database")
export PGPASSWORD=$password

# Root runs pgbouncer as the postgres account, which must reach its folder.
bouncers=$(mktemp -d /tmp/vendral-bench-pgbouncer.XXXXXX)
chmod 755 "$bouncers"
bouncer=$bouncers/pool
trap '"$root/scripts/pgbouncer.sh" stop "$bouncer"; rm -rf "$bouncers"' EXIT
bouncer_port=$("$root/scripts/pgbouncer.sh" start "$bouncer" "$pgdir" transaction "$pool_size")
for route in direct pooled; do
  p=$port
  [ $route = pooled ] && p=$bouncer_port
  cat >> "$ODBCSYSINI/odbc.ini" <<INI

[vendral_load_$route]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$p
Database=$database
INI
  printf '[Central]\nDSN=vendral_load_%s\nUID=postgres\nPWD=%s\nDBPrefix=CRM5\n' "$route" \
    "$password" > "$dir/load-$route.ini"
done

# Samples, until the file "$1" goes, how many sessions of the database wait
# for a lock and how many work (active or inside a transaction); appends
# "waiting working" lines to "$2".
sample_locks() {
  while [ -e "$1" ]; do
    "${psql[@]}" -Atc "SELECT COUNT(*) FILTER (WHERE wait_event_type = 'Lock'), COUNT(*) FILTER
      (WHERE state <> 'idle') FROM pg_stat_activity WHERE datname = current_database() AND
      pid <> pg_backend_pid() AND backend_type = 'client backend'" | tr '|' ' ' >> "$2" || true
    sleep 0.05
  done
}

# Runs N clients of COMMAND at once (each its own time in a file) and prints
# the figures. ROWS_EACH: what one client writes.
run_clients() {  # LABEL N ROWS_EACH COMMAND...
  local label=$1 n=$2 rows_each=$3 i
  shift 3
  local work=$dir/load-work samples=$dir/load-samples
  rm -f "$samples" "$work".*
  touch "$work.running"
  sample_locks "$work.running" "$samples" &
  local sampler=$!
  local start end pids=()
  start=$(date +%s%N)
  for i in $(seq 1 "$n"); do
    (
      s=$(date +%s%N)
      if "$@" > "$work.$i.out" 2>&1; then
        echo $(( ($(date +%s%N) - s) / 1000000 )) > "$work.$i.ms"
      else
        echo failed > "$work.$i.ms"
      fi
    ) &
    pids+=($!)
  done
  wait "${pids[@]}"
  end=$(date +%s%N)
  rm -f "$work.running"
  wait "$sampler" 2>/dev/null || true
  local failed=0 slowest=0 per_client=""
  for i in $(seq 1 "$n"); do
    ms=$(cat "$work.$i.ms")
    if [ "$ms" = failed ]; then failed=$((failed + 1)); echo "    client $i: $(tail -n 1 "$work.$i.out")"; continue; fi
    per_client="$per_client $ms"
  done
  awk -v l="$label" -v n="$n" -v r="$rows_each" -v wall=$(( (end - start) / 1000000 )) \
    -v f="$failed" -v pc="$per_client" -v samples="$samples" 'BEGIN {
      split(pc, t, " "); sum = 0; k = 0
      for (i in t) { sum += r / (t[i] / 1000); k++ }
      waiting = 0; working = 0
      while ((getline line < samples) > 0) { split(line, s, " "); waiting += s[1]; working += s[2] }
      share = working > 0 ? 100 * waiting / working : 0
      printf "  %-34s %d clients: %7.0f rows/s in total, %6.0f per client; lock waits %4.1f %% of server time%s\n",
        l, n, n * r / (wall / 1000), k ? sum / k : 0, share, f ? sprintf("; %d FAILED", f) : ""
    }'
}

log_rows() { "${psql[@]}" -Atc "SELECT COUNT(*) FROM crm5.traveltransactionlog"; }
kick_rows=$(
  before=$(log_rows)
  "$build/tools/kick/prodwell" --ini "$dir/load-direct.ini" --kick-date "$kick_date" --batch >/dev/null
  echo $(( $(log_rows) - before ))
)
echo "Concurrent clients on PostgreSQL, directly and through pgbouncer (transaction pooling, a pool of $pool_size):"
echo "  (kicks: $kick_rows log rows each; writers: $writer_rows ExecSQL inserts each, every one reserving two ids)"
for route in direct pooled; do
  for n in $clients_list; do
    run_clients "ExecSQL writers, $route" "$n" "$writer_rows" \
      "$build/bench/exec_sql_writer" "$dir/load-$route.ini" "$writer_rows" "load"
  done
  for n in $clients_list; do
    run_clients "set-based kicks, $route" "$n" "$kick_rows" \
      "$build/tools/kick/prodwell" --ini "$dir/load-$route.ini" --kick-date "$kick_date" --batch
  done
  for n in $clients_list; do
    run_clients "per-row kicks, $route" "$n" "$kick_rows" \
      "$build/tools/kick/prodwell" --ini "$dir/load-$route.ini" --kick-date "$kick_date"
  done
done
