#!/usr/bin/env bash
# Installs every Debian package the project needs (build, tests, ODBC drivers,
# PostgreSQL and MariaDB servers). Idempotent: does nothing when all are present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libgtest-dev libgmock-dev
  unixodbc unixodbc-dev odbcinst libsqliteodbc odbc-postgresql
  postgresql sqlite3
  # The third engine of the tests and benchmarks: MariaDB and its own ODBC connector.
  mariadb-server mariadb-client odbc-mariadb
  # The connection pooler the pooler tests and benchmarks put in front of PostgreSQL.
  pgbouncer
  libsimpleini-dev
  ccache python3 file
  # The Python client as users install it (pip into a virtual environment).
  python3-venv python3-pip python3-setuptools
  # The widget library and its tests: Qt 6, X11 window control, a virtual
  # display with a real window manager, the desktop opener.
  qt6-base-dev qt6-svg-dev libqt6svg6 libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev
  xvfb openbox x11-utils xdg-utils fonts-dejavu-core fonts-dejavu-extra
  # Keys and window-manager requests sent to real windows in the X11 tests.
  xdotool wmctrl
  # Screenshots and their pixels in the Wine tests; the Windows splash's
  # bitmap and icon, converted from its artwork at build time.
  imagemagick
  # The pointer's image as the X server shows it (XFixes), for the busy-pointer tests.
  libxcb-xfixes0-dev
  # Real Windows PE files with version resources for the version-information tests.
  binutils-mingw-w64-x86-64 gcc-mingw-w64-x86-64
  # The Windows build (make windows: MinGW-w64 with posix threads, windres) and
  # its tests under Wine (regsvr32, cscript; widl for the type library).
  g++-mingw-w64-x86-64-posix wine wine64 wine64-tools libwine-dev
  # The 32-bit Windows build.
  g++-mingw-w64-i686-posix
  # The Windows installer package (make windows-installer).
  wixl
  # GoogleTest's sources (/usr/src/googletest), cross-built for the data-layer
  # suites under Wine.
  googletest
  # Network drives: shares are mounted through GVfs (gio).
  libglib2.0-bin
  # Fuzzing.
  clang-14 libfuzzer-14-dev libclang-rt-14-dev libsqlite3-dev
  # Documentation and packaging.
  doxygen lintian dpkg-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
