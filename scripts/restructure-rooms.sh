#!/usr/bin/env bash
# Moves the library's sources into rooms that show its architecture, lowest
# first:
#   base       text, Variant, atomic files, private-profile files, processes, the UI host
#   odbc       handles, connection, recordset, the row spill, connection strings,
#              driver kinds, the data layer's objects' errors
#   com        the runtime of the binary standard (types, values, member tables,
#              type information, class factories, registration, the client side)
#   settings   the settings file, its encoding, the registry lookup, the dialog
#   data       CDatabase
#   desktop    CFile, CApplication, X11 windows, the progress bar and splash screen
#   controls   the input controls
#   automation the class bindings and entry points of both libraries
# Each room's qt/ folder holds its part of the widget library. The script
# moves files with git mv by rules on their names (so that files added since
# it was written find their room too), rewrites the include paths and the
# CMake paths, and can be run again: what is moved already stays.
#   scripts/restructure-rooms.sh [SOURCE_DIR]
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root"

moves=()  # "old new" pairs of the files moved in this run

move() {
  local old=$1 new=$2
  [ -e "$old" ] || return 0
  mkdir -p "$(dirname "$new")"
  git mv "$old" "$new"
  moves+=("$old $new")
}

# The room of a file of library/platform/ by its name.
platform_room() {
  case "$1" in
    odbc* | connection* | recordset* | row_spill* | driver_kind* | library_errors*) echo odbc ;;
    x11_*) echo desktop ;;
    *) echo base ;;
  esac
}

if [ -d library/platform ]; then
  for file in library/platform/com/*; do
    [ -f "$file" ] && move "$file" "library/com/$(basename "$file")"
  done
  for file in library/platform/qt/*; do
    [ -f "$file" ] || continue
    name=$(basename "$file")
    # The Qt UI host stands with the settings dialog for as long as it shows
    # the dialog itself; once the dialog plugs in from above it is base.
    if [[ $name == qt_ui_host.* ]] && grep -q '#include "settings/' "$file"; then
      move "$file" "library/settings/qt/$name"
    else
      move "$file" "library/base/qt/$name"
    fi
  done
  for file in library/platform/*; do
    [ -f "$file" ] || continue
    name=$(basename "$file")
    move "$file" "library/$(platform_room "$name")/$name"
  done
fi

# Connection-string building lives with the connection strings.
for file in library/data/connection_strings.*; do
  [ -f "$file" ] && move "$file" "library/odbc/$(basename "$file")"
done

# The class bindings and entry points, above every room they bind.
for name in component_server.cpp component_server.h cdatabase_members.cpp connection_automation.cpp; do
  move "library/data/$name" "library/automation/$name"
done
for name in widget_component_server.cpp widget_component_server.h cprogressbar_members.cpp \
  csplash_members.cpp; do
  move "library/desktop/qt/$name" "library/automation/qt/$name"
done

# Include paths ("platform/text.h" -> "base/text.h") in every C++ file, and
# the paths CMake files name, by the same rules as the moves, so that a run
# after an interrupted one still rewrites them.
qt_ui_host_room=base
[ -e library/settings/qt/qt_ui_host.cpp ] && qt_ui_host_room=settings
odbc_names='odbc|connection|recordset|row_spill|driver_kind|library_errors'
rules=(
  -e "s#(\"|library/)platform/com/#\\1com/#g"
  -e "s#(\"|library/)platform/qt/qt_ui_host#\\1${qt_ui_host_room}/qt/qt_ui_host#g"
  -e "s#(\"|library/)platform/qt/#\\1base/qt/#g"
  -e "s#(\"|library/)platform/(${odbc_names})#\\1odbc/\\2#g"
  -e "s#(\"|library/)platform/x11_#\\1desktop/x11_#g"
  -e "s#(\"|library/)platform/([A-Za-z_]+\\.(h|cpp)\\b)#\\1base/\\2#g"
  -e "s#(\"|library/)data/connection_strings\\.#\\1odbc/connection_strings.#g"
  -e "s#(\"|library/)data/(component_server\\.|cdatabase_members\\.|connection_automation\\.)#\\1automation/\\2#g"
  -e "s#(\"|library/)desktop/qt/(widget_component_server\\.|cprogressbar_members\\.|csplash_members\\.)#\\1automation/qt/\\2#g"
)
git ls-files -z -- '*.cpp' '*.h' '*CMakeLists.txt' '*.cmake' | xargs -0 -r sed -i -E "${rules[@]}"

# The globs of the two libraries and the component client.
sed -i -E \
  -e 's#library/platform/\*\.cpp library/data/\*\.cpp library/settings/\*\.cpp library/desktop/\*\.cpp#library/base/*.cpp library/odbc/*.cpp library/settings/*.cpp library/data/*.cpp library/desktop/*.cpp library/automation/*.cpp#' \
  -e 's#library/platform/com/\*\.cpp#library/com/*.cpp#' \
  -e 's#library/platform/com\b#library/com#g' \
  CMakeLists.txt
sed -i -E 's#\$\{PROJECT_SOURCE_DIR\}/library/platform/\*\.cpp#${PROJECT_SOURCE_DIR}/library/base/*.cpp\n  ${PROJECT_SOURCE_DIR}/library/odbc/*.cpp#' \
  fuzz/CMakeLists.txt
sed -i -E \
  -e 's#\$\{LIBRARY_ROOT\}/platform/qt/\*\.cpp#${LIBRARY_ROOT}/base/qt/*.cpp#' \
  -e 's#\$\{LIBRARY_ROOT\}/platform/qt/\*\.h#${LIBRARY_ROOT}/base/qt/*.h#' \
  -e 's#\$\{LIBRARY_ROOT\}/desktop/qt/\*\.cpp #${LIBRARY_ROOT}/desktop/qt/*.cpp ${LIBRARY_ROOT}/automation/qt/*.cpp #' \
  -e 's#\$\{LIBRARY_ROOT\}/desktop/qt/\*\.h #${LIBRARY_ROOT}/desktop/qt/*.h ${LIBRARY_ROOT}/automation/qt/*.h #' \
  library/widgets/CMakeLists.txt

# The order of the rooms, written down once: the test fails when a lower room
# includes a higher one.
if ! grep -q 'check_room_order.sh' tests/CMakeLists.txt; then
  cat >>tests/CMakeLists.txt <<'CMAKE'

# Every include points down the rooms of library/, lowest first.
set(VENDRAL_ROOMS base odbc com settings data desktop controls automation)
add_test(NAME library_rooms_include_only_lower_rooms
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/layout/check_room_order.sh ${PROJECT_SOURCE_DIR} ${VENDRAL_ROOMS})
CMAKE
fi

# The README's layout table names the rooms.
if grep -q '^| `library/platform/` |' README.md; then
  rows=$(mktemp)
  cat >"$rows" <<'ROWS'
| `library/base/` | the base layer: UTF-8 text, `Variant`, atomic files, the private-profile (INI) functions, processes, the UI host |
| `library/odbc/` | the ADO-style data layer over ODBC: handles, `Connection`, `Recordset`, the row spill, connection strings, driver kinds |
| `library/com/` | the runtime of the component object binary standard: values, member tables, type information, class factories, registration, the client side |
ROWS
  sed -i -e '/^| `library\/platform\/` |/{r '"$rows" -e 'd}' README.md
  cat >"$rows" <<'ROWS'
| `library/desktop/` | `CFile`, `CApplication` and X11 windows; in `qt/` the progress bar and the splash screen |
| `library/controls/` | the labelled input controls |
| `library/automation/` | the class bindings of `CDatabase` (with its connection and recordset objects), `CProgressBar` and `CSplash`, and the entry points of both libraries |
ROWS
  sed -i -e '/^| `library\/settings\/` |/r '"$rows" README.md
  rm -f "$rows"
fi

# Folders the moves emptied.
find library -depth -type d -empty -delete

echo "moved ${#moves[@]} files"
