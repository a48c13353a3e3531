#!/usr/bin/env bash
# Fails when a file of a room of library/ includes a header of a room above
# it. The rooms are given lowest first; a room may include its own headers and
# those of the rooms below it (its qt/ folder belongs to it).
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
[ $status -eq 0 ] && echo "every include points down the rooms: ${rooms[*]}"
exit $status
