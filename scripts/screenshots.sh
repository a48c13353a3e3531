#!/usr/bin/env bash
# Renders the screenshots of the widget library and Prodwell into
# BUILD/screenshots/, on a throwaway X server with a window manager. Each
# program BUILD/screenshot-programs/shot_* writes its own PNG files into the
# folder named by its one argument. With VENDRAL_WINDOWS_BUILD set, also the
# Windows build's windows under Wine (windows-*.png).
set -euo pipefail
build=${1:?usage: screenshots.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
out="$build/screenshots"
mkdir -p "$out"

"$root/scripts/odbc-config.sh" "$build/odbc"
x11dir=$(mktemp -d /tmp/vendral-x11.XXXXXX)
trap '"$root/scripts/x11.sh" stop "$x11dir"; rm -rf "$x11dir"' EXIT
export DISPLAY=$("$root/scripts/x11.sh" start "$x11dir")
export QT_QPA_PLATFORM=xcb
export VENDRAL_ODBC_TEMPLATE="$build/odbc"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

status=0
for program in "$build"/screenshot-programs/shot_*; do
  [ -x "$program" ] || continue
  echo "$(basename "$program")"
  "$program" "$out" || { echo "  failed: $program" >&2; status=1; }
done
# Prodwell and the settings dialog as users get them: the installed Release
# build, driven from outside by the test that checks it.
"$root/tests/installed/release-install.sh" "$root" "$build/release" "$build/release-install"
VENDRAL_SCREENSHOT_DIR="$out" "$build/tests/widgets/test_kick_x11" \
  --gtest_filter='InstalledProdwell.MissingSettings*:Clients/InstalledCoreClient.GetsTheDialog*/Python' \
  || { echo "  failed: the installed prodwell's screenshots" >&2; status=1; }
# The Windows faces (settings dialog, Prodwell's window, splash, progress bar,
# input controls) as vendral.dll and prodwell.exe draw them under Wine: the
# Windows build's test run photographs them on this display.
if [ -n "${VENDRAL_WINDOWS_BUILD:-}" ]; then
  windows_build=$(cd "$VENDRAL_WINDOWS_BUILD" && pwd)
  "$root/scripts/wine-tests.sh" "$windows_build" "$build" >"$out/wine-tests.log" 2>&1 ||
    { echo "  the Windows build's test run failed: $out/wine-tests.log" >&2; status=1; }
  cp "$windows_build"/wine-work/screenshots/windows-*.png "$out/" 2>/dev/null ||
    { echo "  no Windows screenshots in $windows_build/wine-work/screenshots" >&2; status=1; }
fi
ls -1 "$out"/*.png 2>/dev/null || { echo "no screenshots were written" >&2; status=1; }
exit $status
