#!/usr/bin/env bash
# Fails when a file of a room of library/ includes a header of a room above
# it: one of the room's own folder, or a public header that a room above it
# implements (tests/layout/public_header_rooms.txt). The rooms are given
# lowest first; a room may include its own headers and those of the rooms
# below it (its qt/ folder belongs to it). The build's room checks
# (cmake/Rooms.cmake) catch the uses that no include shows.
#   check_room_order.sh SOURCE_DIR ROOM...
set -euo pipefail
source_dir=${1:?usage: check_room_order.sh SOURCE_DIR ROOM...}
shift
[ $# -gt 0 ] || { echo "no rooms given" >&2; exit 2; }
cd "$source_dir/library"
rooms=("$@")

status=0
for room in "${rooms[@]}"; do
  [ -d "$room" ] || { echo "no room library/$room" >&2; status=1; }
done
# Every folder of library/ has its place in the order.
for folder in */; do
  folder=${folder%/}
  [ "$folder" = widgets ] && continue  # the widget library's build files
  case " ${rooms[*]} " in *" $folder "*) ;; *) echo "library/$folder has no place in the room order" >&2; status=1 ;; esac
done

for ((i = 0; i < ${#rooms[@]}; ++i)); do
  higher=("${rooms[@]:i+1}")
  [ ${#higher[@]} -gt 0 ] || continue
  pattern=$(printf '%s|' "${higher[@]}")
  found=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"(${pattern%|})/" "${rooms[i]}" || true)
  if [ -n "$found" ]; then
    echo "library/${rooms[i]} includes rooms above it:" >&2
    sed 's/^/  library\//' <<<"$found" >&2
    status=1
  fi
done

# The public headers, each in the room that implements it.
map="$source_dir/tests/layout/public_header_rooms.txt"
declare -A header_room
while read -r header room; do
  [[ -z "$header" || "$header" == \#* ]] && continue
  header_room[$header]=$room
done <"$map"
for header in $(cd "$source_dir/include" && find vendral -name '*.h' | sort); do
  [ -n "${header_room[$header]:-}" ] || { echo "$header has no room in $map" >&2; status=1; }
done
rank() {
  local i
  for ((i = 0; i < ${#rooms[@]}; ++i)); do [ "${rooms[i]}" = "$1" ] && { echo "$i"; return; }; done
  echo "room $1 of $map is not in the room order" >&2
  echo -1
}
for ((i = 0; i < ${#rooms[@]}; ++i)); do
  while IFS=: read -r file line header; do
    [ -n "$file" ] || continue
    owner=${header_room[$header]:-}
    [ -n "$owner" ] || continue
    owner_rank=$(rank "$owner")
    if [ "$owner_rank" -lt 0 ] || [ "$owner_rank" -gt "$i" ]; then
      echo "library/$file:$line includes $header of the room $owner, above ${rooms[i]}" >&2
      status=1
    fi
  done < <(grep -rnoE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"vendral/[^\"]+\"" "${rooms[i]}" |
           sed -E 's/^([^:]+):([0-9]+):.*"(vendral\/[^"]+)"$/\1:\2:\3/')
done
[ $status -eq 0 ] && echo "every include points down the rooms: ${rooms[*]}"
exit $status
