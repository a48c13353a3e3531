#!/usr/bin/env bash
# Runs every test through CTest against SQLite and throwaway PostgreSQL and
# MariaDB servers.
set -euo pipefail
build=${1:?usage: run-tests.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)

"$root/scripts/odbc-config.sh" "$build/odbc"

pgdir=$(mktemp -d /tmp/vendral-pg.XXXXXX)
mariadbdir=$(mktemp -d /tmp/vendral-mariadb.XXXXXX)
# Root runs the MariaDB server as the mysql account, which must reach its folder.
chmod 755 "$mariadbdir"
x11dir=$(mktemp -d /tmp/vendral-x11.XXXXXX)
bouncers=$(mktemp -d /tmp/vendral-pgbouncer.XXXXXX)
# Root runs pgbouncer as the postgres account, which must reach its folder.
chmod 755 "$bouncers"
trap '"$root/scripts/pgbouncer.sh" stop "$bouncers/session";
      "$root/scripts/pgbouncer.sh" stop "$bouncers/transaction"; rm -rf "$bouncers";
      "$root/scripts/postgres.sh" stop "$pgdir"; rm -rf "$pgdir";
      "$root/scripts/mariadb.sh" stop "$mariadbdir/server"; rm -rf "$mariadbdir";
      "$root/scripts/x11.sh" stop "$x11dir"; rm -rf "$x11dir"' EXIT
port=$("$root/scripts/postgres.sh" start "$pgdir")
mariadb_port=$("$root/scripts/mariadb.sh" start "$mariadbdir/server")
export VENDRAL_MARIADB_PORT=$mariadb_port
export VENDRAL_MARIADB_PASSWORD=$(cat "$mariadbdir/server/password")
export VENDRAL_REQUIRE_MARIADB=1
# The pooler tests' pgbouncer in front of it, in both pooling modes, with a
# pool of 2 server connections for their 4 clients.
export VENDRAL_PGBOUNCER_SESSION_PORT=$("$root/scripts/pgbouncer.sh" start "$bouncers/session" "$pgdir" session 2)
export VENDRAL_PGBOUNCER_TRANSACTION_PORT=$("$root/scripts/pgbouncer.sh" start "$bouncers/transaction" "$pgdir" transaction 2)
# Tests of real windows (other programs' windows, geometry) run on this display;
# the other widget tests use Qt's offscreen platform.
export DISPLAY=$("$root/scripts/x11.sh" start "$x11dir")
export VENDRAL_REQUIRE_X11=1

export VENDRAL_PG_PORT=$port
export VENDRAL_PG_PASSWORD=$(cat "$pgdir/password")
export VENDRAL_REQUIRE_PG=1
# No registration of the machine's user steers the tests: the component tests
# register into files of their own.
export VENDRAL_REGISTRY="$build/no-registry.reg"
rm -f "$VENDRAL_REGISTRY"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/support/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# A test that fails is run once more before it counts as failed: the real-window
# tests depend on a window manager that a loaded machine can make late.
ctest --test-dir "$build" --output-on-failure -j 2 --timeout 900 --repeat until-pass:2

# The Windows builds under Wine (make test names them), the 64-bit one with the
# installer package: a failing Wine test fails the run (after the other's).
wine_failed=0
for windows_build in ${VENDRAL_WINDOWS_BUILD:-} ${VENDRAL_WINDOWS32_BUILD:-}; do
  "$root/scripts/wine-tests.sh" "$windows_build" "$build" || wine_failed=1
done

# Each fuzz target briefly, with the sanitizers (0 seconds leaves them out). A
# failing input fails the run; fix it and add the input to the target's corpus.
fuzz_seconds=${VENDRAL_FUZZ_SECONDS:-5}
if [ "$fuzz_seconds" != 0 ]; then
  "$root/scripts/fuzz.sh" "${VENDRAL_FUZZ_BUILD:-$root/build-fuzz}" "$fuzz_seconds" 2
fi
[ "$wine_failed" -eq 0 ] || { echo "Wine tests failed (see above)" >&2; exit 1; }
