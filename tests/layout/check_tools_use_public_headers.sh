#!/usr/bin/env bash
# Fails when a file under tools/ includes a header of the library's source
# tree (a path under library/) or a tool's CMake file names a folder of it:
# the tools are clients like any other and use the installed headers only.
#   check_tools_use_public_headers.sh SOURCE_DIR
set -euo pipefail
source_dir=${1:?usage: check_tools_use_public_headers.sh SOURCE_DIR}
cd "$source_dir"

status=0
# Every folder of library/, as an include path would name it.
rooms=$(find library -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | paste -sd '|')
found=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<](\.\./)*(library/)?($rooms)/" tools || true)
if [ -n "$found" ]; then
  echo "tools include headers of the library's source tree:" >&2
  sed 's/^/  /' <<<"$found" >&2
  status=1
fi
named=$(grep -rnE '(^|[^_A-Za-z])library(/|[[:space:]]|\)|$)' --include=CMakeLists.txt tools | grep -v '^\S*:[0-9]*:[[:space:]]*#' || true)
if [ -n "$named" ]; then
  echo "tools' CMake files name the library's source tree:" >&2
  sed 's/^/  /' <<<"$named" >&2
  status=1
fi
[ $status -eq 0 ] && echo "tools use public headers only ($(find tools -name '*.cpp' -o -name '*.h' | wc -l) files)"
exit $status
