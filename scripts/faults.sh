#!/usr/bin/env bash
# Fault injection with figures, on a built tree:
#   faults.sh BUILD_DIR [KICK_ROUNDS] [KILL_RUNS]   (defaults 3 and 1000)
# 1. The server dies mid-kick: prodwell runs against a throwaway PostgreSQL
#    server that is stopped with "pg_ctl stop -m immediate" while it logs; the
#    program must exit 1 with one line naming the cause and the count logged,
#    every log row before must be intact, and after a restart a second run
#    completes.
# 2. Settings writes killed with SIGKILL at random moments, a write beyond the
#    file-size limit, and (as root, on a small tmpfs) a write on a full disk.
# Prints the figures and exits 1 when any check failed.
set -euo pipefail
build=${1:?usage: faults.sh BUILD_DIR [KICK_ROUNDS] [KILL_RUNS]}
rounds=${2:-3}
kills=${3:-1000}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
prodwell=$build/tools/kick/prodwell
faults=$build/tests/settings_faults
for program in "$prodwell" "$faults"; do
  [ -x "$program" ] || { echo "missing $program: build the tree first" >&2; exit 1; }
done
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)

work=$(mktemp -d /tmp/vendral-faults.XXXXXX)
chmod 755 "$work"  # the server account must reach its folder inside
pgdir=$work/pg
mnt=$work/full
cleanup() {
  "$root/scripts/postgres.sh" stop "$pgdir" || true
  mountpoint -q "$mnt" 2>/dev/null && umount "$mnt"
  rm -rf "$work"
}
trap cleanup EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

as_owner() { if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }

# --- 1. The server dies mid-kick -------------------------------------------
port=$("$root/scripts/postgres.sh" start "$pgdir")
export PGPASSWORD=$(cat "$pgdir/password")
psql() { "$bin/psql" -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U postgres "$@"; }
server_start() {
  as_owner "$bin/pg_ctl" -D "$pgdir/data" -l "$pgdir/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -p $port -k $pgdir -c fsync=off" start >/dev/null
}

rows=6000          # appointments and tasks, half each, all due after the kick date
kick=1212883200    # 2008-06-08
psql -d postgres -c "CREATE DATABASE faults"
PGOPTIONS="-c search_path=crm5" psql -d faults -c "CREATE SCHEMA crm5" -f "$root/tests/support/crm_schema.sql"
psql -d faults <<SQL
INSERT INTO crm5.sequence (id, next_id) SELECT g + 10, 1000 FROM generate_series(0, 251) g;
INSERT INTO crm5.syncusers (associate_id) VALUES (12);
INSERT INTO crm5.appointment (appointment_id, associate_id, registered_associate_id, do_by, type)
  SELECT g, 12, 12, $kick + g, CASE WHEN g % 2 = 0 THEN 1 ELSE 2 END FROM generate_series(1, $rows) g;
INSERT INTO crm5.syncsoapp (appointment_id) SELECT g FROM generate_series(1, $rows) g;
SQL

odbc=$work/odbc
"$root/scripts/odbc-config.sh" "$odbc"
cat > "$odbc/odbc.ini" <<INI
[vendral_faults]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$port
Database=faults
INI
export ODBCSYSINI=$odbc
ini=$work/kick.ini
printf '[Central]\nDSN=vendral_faults\nUID=postgres\nPWD=%s\nDBPrefix=CRM5.\n' "$PGPASSWORD" > "$ini"

log_count() { psql -d faults -tA -c "SELECT COUNT(*) FROM crm5.traveltransactionlog"; }
# Log rows that are not exactly what the kick writes for the rows it had reached:
# the first N rows in the order of the run (appointments, then tasks, by id).
bad_rows() {
  psql -d faults -tA -c "
    WITH expected AS (
      SELECT appointment_id, row_number() OVER (ORDER BY type IN (2, 7), appointment_id) AS n
      FROM crm5.appointment)
    SELECT COUNT(*) FROM crm5.traveltransactionlog t
    WHERE t.type <> 4608 OR t.tablenumber <> 9 OR t.associate_id <> 12 OR t.prev_record_id <> 0
       OR t.ttime <= 0
       OR NOT EXISTS (SELECT 1 FROM expected e WHERE e.appointment_id = t.record_id AND e.n <= $1)"
  # and no record logged twice
  psql -d faults -tA -c "SELECT COUNT(*) - COUNT(DISTINCT record_id) FROM crm5.traveltransactionlog"
}

kick_runs=0; kick_killed=0; kick_checked=0; rows_in_flight=0
for round in $(seq 1 "$rounds"); do
  psql -d faults -c "DELETE FROM crm5.traveltransactionlog"
  target=$(( 200 + RANDOM % (rows - 400) ))
  "$prodwell" --ini "$ini" --kick-date 2008-06-08 >"$work/out" 2>"$work/err" </dev/null &
  pid=$!
  kick_runs=$((kick_runs + 1))
  while kill -0 "$pid" 2>/dev/null && [ "$(log_count)" -lt "$target" ]; do sleep 0.05; done
  as_owner "$bin/pg_ctl" -D "$pgdir/data" -m immediate stop >/dev/null
  kick_killed=$((kick_killed + 1))
  status=0; wait "$pid" || status=$?
  err=$(cat "$work/err")
  echo "round $round: stopped after about $target rows; exit $status: $err"
  [ "$status" -eq 1 ] || fail "round $round: exit status $status, not 1"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "round $round: not one line on standard error"
  [ -s "$work/out" ] && fail "round $round: output on standard output: $(cat "$work/out")"
  counts=$(sed -n 's/.*Inserts for appointments: \([0-9]*\), inserts for tasks: \([0-9]*\) before the error.*/\1 \2/p' "$work/err")
  [ -n "$counts" ] || { fail "round $round: no count in the message"; counts="0 0"; }
  case "$err" in *"database error during the kick"*) ;; *) fail "round $round: the cause is not named";; esac
  read -r appointments tasks <<<"$counts"
  reported=$((appointments + tasks))

  server_start
  logged=$(log_count)
  # The row whose answer the stop cut off may have been committed all the same.
  if [ "$logged" -ne "$reported" ] && [ "$logged" -ne $((reported + 1)) ]; then
    fail "round $round: $logged log rows, $reported reported"
  fi
  rows_in_flight=$((rows_in_flight + logged - reported))
  bad=$(bad_rows "$logged" | paste -sd+ | bc)
  [ "$bad" -eq 0 ] || fail "round $round: $bad log rows not intact"
  kick_checked=$((kick_checked + logged))

  # After the restart a second run completes.
  status=0
  "$prodwell" --ini "$ini" --kick-date 2008-06-08 >"$work/out" 2>"$work/err" </dev/null || status=$?
  kick_runs=$((kick_runs + 1))
  expected="Inserts for appointments: $((rows / 2)), inserts for tasks: $((rows / 2))"
  [ "$status" -eq 0 ] && [ "$(cat "$work/out")" = "$expected" ] \
    || fail "round $round: second run: exit $status, $(cat "$work/out") $(cat "$work/err")"
  [ "$(log_count)" -eq $((logged + rows)) ] || fail "round $round: second run logged $(( $(log_count) - logged ))"
done
echo "server stopped mid-kick: runs $kick_runs, server stops $kick_killed, log rows checked $kick_checked," \
     "rows committed as the server stopped but not counted $rows_in_flight, failures $failures"
"$root/scripts/postgres.sh" stop "$pgdir"

# --- 2. Settings writes ----------------------------------------------------
"$faults" kill "$work/kill" "$kills" || fail "settings writes killed"
"$faults" fsize "$work/fsize" || fail "file-size limit"
if [ "$(id -u)" -eq 0 ] && mkdir -p "$mnt" && mount -t tmpfs -o size=2m tmpfs "$mnt" 2>/dev/null; then
  "$faults" full "$mnt" || fail "full disk"
  umount "$mnt"
else
  echo "full disk: not run (needs root to mount a small tmpfs); the file-size limit stands for it"
fi

echo "faults: failures found $failures"
[ "$failures" -eq 0 ]
