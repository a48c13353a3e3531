#!/usr/bin/env bash
# Builds the Windows installer package with wixl from installer/vendral.wxs:
# stages the 64-bit files (prodwell.com from beside PRODWELL_EXE) and their
# registry include in x64/ of a scratch folder, the 32-bit library and its include in x86/ (wixl reads sources and
# includes relative to where it runs).
#   scripts/build-msi.sh OUTPUT.msi VERSION VENDRAL_DLL PRODWELL_EXE REGISTRY_WXI \
#     VENDRAL_DLL_32 REGISTRY_WXI_32
# The Windows build's windows-installer target runs it with the project's
# version; the Wine tests run it again with a higher one for the upgrade.
set -euo pipefail
[ $# -eq 7 ] || {
  echo "usage: build-msi.sh OUTPUT.msi VERSION VENDRAL_DLL PRODWELL_EXE REGISTRY_WXI VENDRAL_DLL_32 REGISTRY_WXI_32" >&2
  exit 2
}
root=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "$1")
version=$2
stage=$(mktemp -d "$(dirname "$output")/msi-stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/x64"
cp "$3" "$stage/x64/vendral.dll"
cp "$4" "$stage/x64/prodwell.exe"
# prodwell.com, the console twin, stands beside prodwell.exe in the build.
cp "${4%.exe}.com" "$stage/x64/prodwell.com"
cp "$5" "$stage/x64/registry.wxi"
# The settings dialog's help, beside each library (its Help button shows only
# where the file is).
cp "$root/library/settings/qt/vendralhlp.mht" "$stage/x64/vendralhlp.mht"
mkdir "$stage/x86"
cp "$6" "$stage/x86/vendral.dll"
cp "$root/library/settings/qt/vendralhlp.mht" "$stage/x86/vendralhlp.mht"
cp "$7" "$stage/x86/registry.wxi"
cp "$root/installer/vendral.wxs" "$stage/"
# A product version is three numbers of at most 255.255.65535.
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "build-msi.sh: bad version '$version'" >&2; exit 2; }
(cd "$stage" && wixl -a x64 -D Version="$version" -o package.msi vendral.wxs)
mv "$stage/package.msi" "$output"
