#!/usr/bin/env bash
# Builds the libFuzzer targets (clang-14, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for a set time against the seed corpus in fuzz/corpus/<target>/.
#   fuzz.sh [BUILD_DIR] [SECONDS] [PARALLEL]   (defaults: build-fuzz, $FUZZ_SECONDS or 60, 2)
# New inputs go to a scratch folder, not into the tree; a crashing input is
# kept in BUILD_DIR/crashes/ and the run fails. Prints executions per target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-fuzz}
seconds=${2:-${FUZZ_SECONDS:-60}}
parallel=${3:-2}
jobs=${JOBS:-2}

cmake -S "$root" -B "$build" -DVENDRAL_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=Fuzz >/dev/null
cmake --build "$build" -j "$jobs" >/dev/null
build=$(cd "$build" && pwd)

mkdir -p "$build/crashes" "$build/logs"
scratch=$(mktemp -d /tmp/vendral-fuzz.XXXXXX)
# The settings-file target writes (and syncs) a file per input: on tmpfs that is quick.
files=$(mktemp -d /dev/shm/vendral-fuzz.XXXXXX 2>/dev/null || mktemp -d /tmp/vendral-fuzz-files.XXXXXX)
trap 'rm -rf "$scratch" "$files"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TMPDIR=$files

run_target() {
  local name=$1
  mkdir -p "$scratch/$name"
  # The tree's corpus is read, never written: libFuzzer adds to the first folder only.
  "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/crashes/$name-" \
    "$scratch/$name" "$root/fuzz/corpus/$name" >"$build/logs/$name.log" 2>&1
}

mapfile -t targets <"$build/fuzz-targets.txt"
declare -A status
running=0
for name in "${targets[@]}"; do
  [ -n "$name" ] || continue
  (run_target "$name") &
  status[$name]=$!
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait || true

failed=0
total=0
printf '%-20s %12s %8s  %s\n' target executions corpus result
for name in "${targets[@]}"; do
  [ -n "$name" ] || continue
  log=$build/logs/$name.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  runs=${runs:-0}
  corpus=$(find "$scratch/$name" "$root/fuzz/corpus/$name" -type f | wc -l)
  result=ok
  if grep -qE '^==[0-9]+==ERROR|^SUMMARY: |property broken|deadly signal|Test unit written' "$log"; then
    result="CRASH (see $log)"
    failed=$((failed + 1))
  fi
  total=$((total + runs))
  printf '%-20s %12s %8s  %s\n' "$name" "$runs" "$corpus" "$result"
done
echo "fuzzing: ${#targets[@]} targets, ${seconds} s each, $total executions, $failed crashing"
[ "$failed" -eq 0 ]
