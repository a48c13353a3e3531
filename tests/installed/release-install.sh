#!/usr/bin/env bash
# Builds what users run (a Release build without sanitizers or tests: the
# libraries, prodwell and the registration tool) and installs it with
# cmake --install into a scratch prefix, as a user's "make install" would.
#   release-install.sh SOURCE_DIR BUILD_DIR PREFIX
set -euo pipefail
source=${1:?usage: release-install.sh SOURCE_DIR BUILD_DIR PREFIX}
build=${2:?usage: release-install.sh SOURCE_DIR BUILD_DIR PREFIX}
prefix=${3:?usage: release-install.sh SOURCE_DIR BUILD_DIR PREFIX}
jobs=${VENDRAL_RELEASE_JOBS:-2}

cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVENDRAL_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix" >"$build.configure.log" 2>&1 \
  || { cat "$build.configure.log" >&2; exit 1; }
# Only the targets the installed components hold.
nice cmake --build "$build" -j "$jobs" --target vendral vendral_widgets prodwell vendral-regsvr \
  prodwell_manual vendral_changelog
rm -rf "$prefix"
# DESTDIR keeps the installation out of the installing user's registry file.
for component in runtime tools; do
  DESTDIR=/ cmake --install "$build" --component "$component" --prefix "$prefix" >/dev/null
done
test -x "$prefix/bin/prodwell"
ls "$prefix"/lib*/libvendral-widgets.so.1 >/dev/null
echo "installed into $prefix"
