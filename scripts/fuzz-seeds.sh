#!/usr/bin/env bash
# Writes the seed corpus of the version-resource fuzz target from the version
# resources of the PE tests (tests/desktop/pe/*.rc), with the MinGW-w64 tools
# the install script installs: for each, a small PE program holding it, its
# bare VS_VERSIONINFO block, and a small ELF object carrying the block in the
# section our own files use. The outputs are kept in the tree; run this again
# when the .rc files change.
#   fuzz-seeds.sh [OUT_DIR]   (default: fuzz/corpus/version_resource)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/fuzz/corpus/version_resource}
work=$(mktemp -d /tmp/vendral-seeds.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# Little-endian 32-bit number at an offset of a file.
u32() { od -An -t u4 -j "$2" -N 4 "$1" | tr -d ' '; }

printf 'void start(void) {}\n' >"$work/entry.c"
x86_64-w64-mingw32-gcc -c -o "$work/entry.o" "$work/entry.c"
printf 'int vendral_seed;\n' >"$work/elf.c"
gcc -c -o "$work/elf.o" "$work/elf.c"

for rc in "$root"/tests/desktop/pe/*.rc; do
  name=$(basename "$rc" .rc)
  x86_64-w64-mingw32-windres "$rc" -O coff -o "$work/$name.res.o"
  # No C runtime and the smallest file alignment: a PE file of about 1.5 kB.
  x86_64-w64-mingw32-gcc -nostdlib -e start -s -Wl,--file-alignment,16 \
    -o "$out/pe-$name.exe" "$work/entry.o" "$work/$name.res.o"
  # A .res file holds an empty entry, then ours: data size and header size
  # at its start, the block after the header.
  x86_64-w64-mingw32-windres "$rc" -O res -o "$work/$name.res"
  first=$(( $(u32 "$work/$name.res" 0) + $(u32 "$work/$name.res" 4) ))
  size=$(u32 "$work/$name.res" "$first")
  header=$(u32 "$work/$name.res" $((first + 4)))
  dd if="$work/$name.res" of="$out/block-$name.bin" bs=1 skip=$((first + header)) \
    count="$size" status=none
  objcopy --add-section .vendral.version="$out/block-$name.bin" \
    --set-section-flags .vendral.version=alloc,readonly "$work/elf.o" "$out/elf-$name.o"
done
x86_64-w64-mingw32-gcc -nostdlib -e start -s -Wl,--file-alignment,16 -o "$out/pe-plain.exe" \
  "$work/entry.o"
ls "$out"

# The dispatch-argument target reads its arguments' types and values from the
# bytes: a few short patterns to start from (types, references, numbers at
# the edges of the ranges, texts).
args=$root/fuzz/corpus/dispatch_arguments
mkdir -p "$args"
printf '\x06\x01\x02\x00\x00\x00\x00\x00\x80\x7f\x00\x00\x00\x00\x00\x00\xe0\x3f' >"$args/seed-numbers"
printf '\x03\x01\x08\x00\x07\x10\x00A\x00\xe4\x00=\xd8\x00\xde\x00\x01\x0b\x00\xff\xff' >"$args/seed-texts"
printf '\x04\x00\x0c\x00\x00\x01\x02\x03\x01\x0c\x40\x00\x00\x00\x00\x00\x00\x00\x00' >"$args/seed-references"
printf '\x05\x01\x05\x00\xff\xff\xff\xff\xff\xff\xef\x7f\x01\x14\x00\x00\x00\x00\x00\x00\x00\x80' >"$args/seed-edges"
printf '\x02\x01\x0a\x00\x04\x00\x02\x80\x01\x09\x00\x00' >"$args/seed-missing-and-objects"
ls "$args"
