#!/usr/bin/env bash
# Builds the two room probes of the test build (tests/CMakeLists.txt): the
# one that calls a room above its own must fail to link, naming the symbol;
# the one that stays in its room must link.
#   check_upward_use_fails.sh BUILD_DIR
set -uo pipefail
build=${1:?usage: check_upward_use_fails.sh BUILD_DIR}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

if ! cmake --build "$build" --target vendral_room_check_probe_downward >"$log" 2>&1; then
  cat "$log" >&2
  echo "the probe that stays in its room did not link" >&2
  exit 1
fi
if cmake --build "$build" --target vendral_room_check_probe_upward >"$log" 2>&1; then
  echo "the probe that calls the data room from the base room linked" >&2
  exit 1
fi
if ! grep -q "undefined reference to .*vendral::CDatabase::" "$log"; then
  cat "$log" >&2
  echo "the upward probe failed for another reason than its call into the data room" >&2
  exit 1
fi
echo "an upward use fails to link:"
grep -m1 "undefined reference to .*vendral::CDatabase::" "$log"
