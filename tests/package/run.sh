#!/usr/bin/env bash
# Builds the Debian packages of a build folder, unpacks them into a scratch
# root (no system change) and runs prodwell --help from there; lintian must
# report no error.
#   run.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: run.sh BUILD_DIR}" && pwd)
work=$(mktemp -d /tmp/vendral-package.XXXXXX)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -B "$work/out" >"$work/cpack.log" 2>&1) \
  || { cat "$work/cpack.log" >&2; exit 1; }
shopt -s nullglob
packages=("$work"/out/vendral-*.deb)
[ ${#packages[@]} -eq 4 ] || { echo "expected 4 packages, found ${#packages[@]}" >&2; exit 1; }

for package in "${packages[@]}"; do
  dpkg-deb -x "$package" "$work/root"
  echo "$(dpkg-deb -f "$package" Package): $(dpkg-deb -f "$package" Depends)"
done
LD_LIBRARY_PATH="$work/root/usr/lib" ASAN_OPTIONS=detect_leaks=0 \
  "$work/root/usr/bin/prodwell" --help >"$work/help.txt"
grep -q '^Usage: prodwell ' "$work/help.txt" || { cat "$work/help.txt" >&2; exit 1; }
[ -f "$work/root/usr/share/man/man1/prodwell.1.gz" ]
[ -f "$work/root/usr/lib/cmake/Vendral/VendralConfig.cmake" ]
[ -f "$work/root/usr/lib/pkgconfig/vendral.pc" ]
[ -f "$work/root/usr/lib/python3/dist-packages/vendral/__init__.py" ]

if command -v lintian >/dev/null; then
  lintian --allow-root "${packages[@]}" >"$work/lintian.txt" 2>&1 || true
  cat "$work/lintian.txt"
  if grep -q '^E: ' "$work/lintian.txt"; then
    echo "lintian reported errors" >&2
    exit 1
  fi
fi
echo "packages install and prodwell runs"
