#!/usr/bin/env bash
# Installs a build of the library into a scratch prefix, then builds a client
# against it twice (CMake package and pkg-config) and counts rows of an SQLite
# database through an ODBC data source with each.
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
grep -q "^@=\"$(readlink -f "$libdir")/libvendral-widgets.so.0" "$VENDRAL_REGISTRY" ||
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
