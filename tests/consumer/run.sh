#!/usr/bin/env bash
# Installs a build of the library into a scratch prefix, then builds two
# clients against it, each twice (CMake package and pkg-config): one counts
# rows of an SQLite database through an ODBC data source, the other is the C++
# example of the README, run on the demo CRM database.
#   run.sh SOURCE_DIR BUILD_DIR [COMPILER_FLAGS]
# COMPILER_FLAGS are those the library was built with that a client needs too
# (the sanitizers of the test build).
set -euo pipefail
source_dir=$(cd "${1:?usage: run.sh SOURCE_DIR BUILD_DIR}" && pwd)
build_dir=$(cd "${2:?usage: run.sh SOURCE_DIR BUILD_DIR}" && pwd)
flags=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/vendral-consumer.XXXXXX)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

# Installing registers the library; keep that registration in the scratch folder.
export VENDRAL_REGISTRY="$work/registry.reg"
cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log"
libdir=$(dirname "$(find "$prefix" -name 'libvendral.so' | head -n 1)")
# Both component libraries are registered, each by its installed path.
for class in CDatabase CProgressBar CSplash; do
  grep -q "^\[HKEY_CLASSES_ROOT\\\\Vendral\.$class\\\\CLSID\]" "$VENDRAL_REGISTRY" ||
    { echo "Vendral.$class not registered by the installation" >&2; exit 1; }
done
grep -q "^@=\"$(readlink -f "$libdir")/libvendral-widgets.so.1" "$VENDRAL_REGISTRY" ||
  { echo "the widget library is not registered by its installed path" >&2; exit 1; }

# A data source of an SQLite database with three rows.
"$source_dir/scripts/odbc-config.sh" "$work/odbc"
sqlite3 "$work/crm.db" "CREATE TABLE appointment (appointment_id INTEGER); INSERT INTO appointment VALUES (1), (2), (3);"
cat >"$work/odbc/odbc.ini" <<INI
[consumer]
Driver=SQLite3
Database=$work/crm.db
INI
export ODBCSYSINI="$work/odbc" ODBCINI="$work/odbc/odbc.ini"
# The driver manager keeps allocations for the life of the process.
export ASAN_OPTIONS=detect_leaks=0

cmake -S "$here" -B "$work/with-cmake" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >"$work/cmake.log"
cmake --build "$work/with-cmake" >"$work/cmake-build.log"
by_cmake=$(LD_LIBRARY_PATH="$libdir" "$work/with-cmake/count_rows" consumer appointment)

export PKG_CONFIG_PATH="$libdir/pkgconfig"
# The installed .pc file names the prefix it was configured for; point it here.
c++ $flags "$here/count_rows.cpp" -o "$work/with-pkg-config" \
  $(pkg-config --define-variable=prefix="$prefix" --cflags --libs vendral)
by_pkg_config=$(LD_LIBRARY_PATH="$libdir" "$work/with-pkg-config" consumer appointment)

echo "CMake package: $by_cmake rows; pkg-config: $by_pkg_config rows"
[ "$by_cmake" = 3 ] && [ "$by_pkg_config" = 3 ]

# The README's example, as a reader copies it out of the README.
example="$work/with-cmake/crm_example.cpp"
awk '/^## Using the library from C\+\+/ { section = 1 }
     section && /^```cpp$/ { inside = 1; next }
     inside && /^```$/ { exit }
     inside { print }' "$source_dir/README.md" >"$example"
[ -s "$example" ] || { echo "the README has no C++ example" >&2; exit 1; }
grep -q '^int main' "$example" || { echo "the README's C++ example has no main" >&2; exit 1; }
c++ $flags "$example" -o "$work/example-by-pkg-config" \
  $(pkg-config --define-variable=prefix="$prefix" --cflags --libs vendral)
mkdir -p "$work/example"
cp "$example" "$work/example/"
cat >"$work/example/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(crm_example LANGUAGES CXX)
find_package(Vendral CONFIG REQUIRED)
add_executable(crm_example crm_example.cpp)
target_link_libraries(crm_example PRIVATE Vendral::vendral)
CMAKE
cmake -S "$work/example" -B "$work/example/build" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >"$work/example-cmake.log"
cmake --build "$work/example/build" >"$work/example-build.log"

# The demo database, as make demo makes it, with its data source and settings file.
mkdir -p "$work/demo-build"
"$source_dir/scripts/demo-setup.sh" "$work/demo-build" 2>/dev/null
demo="$work/demo-build/demo"
export ODBCSYSINI="$demo/odbc" ODBCINI="$demo/odbc/user-odbc.ini"
appointments=$(sqlite3 "$demo/crm.db" "SELECT COUNT(*) FROM appointment WHERE associate_id = 12")
first=$(sqlite3 "$demo/crm.db" "SELECT MIN(appointment_id) FROM appointment WHERE associate_id = 12")
for program in "$work/example/build/crm_example" "$work/example-by-pkg-config"; do
  logged_before=$(sqlite3 "$demo/crm.db" "SELECT COUNT(*) FROM traveltransactionlog")
  output=$(LD_LIBRARY_PATH="$libdir" "$program" "$demo/prodwell.ini")
  echo "$output"
  log_id=$(sqlite3 "$demo/crm.db" "SELECT MAX(traveltransactionlog_id) FROM traveltransactionlog
    WHERE record_id = $first AND associate_id = 12")
  expected=$(printf '%s appointments\nappointment %s logged as row %s' "$appointments" "$first" "$log_id")
  [ "$output" = "$expected" ] || { echo "the README's example printed something else; expected:" >&2; echo "$expected" >&2; exit 1; }
  [ "$(sqlite3 "$demo/crm.db" "SELECT COUNT(*) FROM traveltransactionlog")" = $((logged_before + 1)) ] ||
    { echo "the README's example did not log exactly one row" >&2; exit 1; }
  [ "$(sqlite3 "$demo/crm.db" "SELECT text FROM appointment WHERE appointment_id = $first")" = Moved ] ||
    { echo "the README's example did not change the appointment" >&2; exit 1; }
done

# A database error reaches the example's catch with its SQLSTATE.
sed 's/^DBPrefix=main\.$/DBPrefix=nosuchschema./' "$demo/prodwell.ini" >"$work/wrong-prefix.ini"
set +e
error=$(LD_LIBRARY_PATH="$libdir" "$work/example-by-pkg-config" "$work/wrong-prefix.ini" 2>&1 >/dev/null)
status=$?
set -e
echo "$error"
[ "$status" = 1 ] && grep -q '^SQLSTATE [0-9A-Z]\{5\}: .*nosuchschema' <<<"$error" ||
  { echo "the README's example did not report the database error (status $status)" >&2; exit 1; }
