#!/usr/bin/env bash
# Fails when a shared library exports a symbol that no allow-list pattern
# admits, or when one of the symbols it must export is missing. Each list holds
# one extended regular expression a line, matched against the demangled name
# (blank lines and lines starting with # are skipped). ALLOWED may name
# several lists, separated by colons.
#   check_exports.sh LIBRARY ALLOWED_PATTERNS[:MORE...] REQUIRED_PATTERNS
set -euo pipefail
library=${1:?usage: check_exports.sh LIBRARY ALLOWED REQUIRED}
allowed=${2:?usage: check_exports.sh LIBRARY ALLOWED REQUIRED}
required=${3:?usage: check_exports.sh LIBRARY ALLOWED REQUIRED}

patterns() { grep -hEv '^[[:space:]]*(#|$)' "$@"; }
IFS=: read -r -a allowed_lists <<<"$allowed"

# One line a symbol, "MANGLED ~ DEMANGLED": patterns on the mangled form start
# with ^_Z, those on the demangled form with "~ ".
# AddressSanitizer's indicator of an exported global ("__odr_asan.NAME", in a
# sanitized build) stands or falls with the global it names.
mangled=$(nm -D --defined-only "$library" | sed -E 's/^[0-9a-fA-F]* *[A-Za-z] //; s/^__odr_asan\.//' |
  sort -u)
symbols=$(paste -d '~' <(printf '%s\n' "$mangled") <(c++filt <<<"$mangled" | sed 's/^/ /') | sed 's/~/ ~/')
if [ -z "$symbols" ]; then
  echo "no dynamic symbols read from $library" >&2
  exit 1
fi

status=0
unexpected=$(grep -Ev -f <(patterns "${allowed_lists[@]}") <<<"$symbols" || true)
if [ -n "$unexpected" ]; then
  echo "$library exports symbols that are not meant to be public:" >&2
  sed 's/^/  /' <<<"$unexpected" >&2
  status=1
fi
while IFS= read -r pattern; do
  if ! grep -Eq -- "$pattern" <<<"$symbols"; then
    echo "$library does not export a symbol matching: $pattern" >&2
    status=1
  fi
done < <(patterns "$required")
[ $status -eq 0 ] && echo "$(wc -l <<<"$symbols") exported symbols of $library, all admitted"
exit $status
