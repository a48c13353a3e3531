#!/usr/bin/env bash
# The Python client as Python users install it, with the library of the
# installed Release build registered as vendral-regsvr registers it:
#  - pip install ./python into a fresh virtual environment (offline);
#  - the python3-vendral package of that build, unpacked with the library's.
# Each runs a script that creates CDatabase by ProgID and counts rows.
#   python-package.sh SOURCE_DIR RELEASE_BUILD PREFIX ODBC_TEMPLATE
set -euo pipefail
source=${1:?usage: python-package.sh SOURCE_DIR RELEASE_BUILD PREFIX ODBC_TEMPLATE}
release=${2:?}
prefix=${3:?}
template=${4:?}
work=$(mktemp -d /tmp/vendral-python.XXXXXX)
trap 'rm -rf "$work"' EXIT
unset PYTHONPATH VENDRAL_LIBRARY LD_PRELOAD PYTHONHOME

sqlite3 "$work/crm.db" \
  "CREATE TABLE appointment (appointment_id INTEGER); INSERT INTO appointment VALUES (1), (2), (3);"
mkdir "$work/odbc"
cp "$template/odbcinst.ini" "$work/odbc/"
printf '[py_crm]\nDriver=SQLite3\nDatabase=%s\n' "$work/crm.db" >"$work/odbc/odbc.ini"
export ODBCSYSINI="$work/odbc" ODBCINI="$work/odbc/odbc.ini"

cat >"$work/count.py" <<'SCRIPT'
import vendral

db = vendral.CreateObject("Vendral.CDatabase")
db.OpenODBC_ByConnection("py_crm", "main.", "", "", "")
print("%s rows, client %s" % (db.CountRecords("appointment"), vendral.__file__))
SCRIPT

expect_rows() {  # label output
  case "$2" in
    "3 rows, client $3"*) echo "$1: $2" ;;
    *) echo "$1: unexpected output: $2" >&2; exit 1 ;;
  esac
}

# pip, from a copy of the source folder (the build writes beside the sources),
# without the network: the build backend comes from the system
# (python3-setuptools).
cp -r "$source/python" "$work/python"
rm -rf "$work/python/tests"
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
"$work/venv/bin/pip" install --quiet --no-build-isolation --no-index --no-cache-dir "$work/python"
VENDRAL_REGISTRY="$work/pip.reg" "$prefix/bin/vendral-regsvr" "$prefix/lib/libvendral.so.1" >/dev/null
out=$(cd "$work" && VENDRAL_REGISTRY="$work/pip.reg" "$work/venv/bin/python" count.py)
expect_rows "pip install ./python" "$out" "$work/venv/lib/"

# The Debian package of the same build, with the library's package.
(cd "$release" && cpack -G DEB -B "$work/debs" >"$work/cpack.log" 2>&1) \
  || { cat "$work/cpack.log" >&2; exit 1; }
for package in "$work"/debs/vendral-python3-vendral_*.deb "$work"/debs/vendral-libvendral1_*.deb; do
  dpkg-deb -x "$package" "$work/root"
done
[ "$(dpkg-deb -f "$work"/debs/vendral-python3-vendral_*.deb Package)" = python3-vendral ]
library=
for candidate in "$work"/root/usr/lib/libvendral.so.1 "$work"/root/usr/lib/*/libvendral.so.1; do
  [ -e "$candidate" ] && { library=$candidate; break; }
done
[ -n "$library" ] || { echo "the libvendral1 package holds no libvendral.so.1" >&2; exit 1; }
VENDRAL_REGISTRY="$work/deb.reg" "$prefix/bin/vendral-regsvr" "$library" >/dev/null
out=$(cd "$work" && VENDRAL_REGISTRY="$work/deb.reg" \
  PYTHONPATH="$work/root/usr/lib/python3/dist-packages" /usr/bin/python3 count.py)
expect_rows "python3-vendral package" "$out" "$work/root/usr/lib/python3/dist-packages/"
