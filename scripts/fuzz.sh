#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ into ./build-fuzz (clang, AddressSanitizer and UBSan)
# and runs each for SECONDS (default 60) on a fresh copy of its seed corpus, fuzz/corpus/<target>,
# plus the inputs kept in fuzz/regressions/<target>, in build-fuzz/corpus/<target>. Without
# TARGET arguments every target runs. Prints per target the runs, the corpus size reached and the
# crashes found; exit 1 when any target crashed, hung or broke an invariant.
#
# Crash inputs land in build-fuzz/crashes/<target>/. Once the fault is fixed, copy the input to
# fuzz/regressions/<target>/ (and add a test of the normal suite that runs it), so that every
# later run starts from it.
#
# $JOBS sets the build's parallel jobs (default: all cores).
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_TARGET=${1:-60}
if [ $# -gt 0 ]; then shift; fi
TARGETS=("$@")
if [ ${#TARGETS[@]} -eq 0 ]; then
  TARGETS=(fuzz_ini fuzz_sql fuzz_connection_string fuzz_split)
fi
BUILD_DIR=build-fuzz
JOBS=${JOBS:-$(nproc)}

bash scripts/install-deps.sh clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DDATAPATCH_FUZZ=ON \
    -DDATAPATCH_TESTS=OFF -DDATAPATCH_BENCH=OFF -DDATAPATCH_GUI=OFF -DDATAPATCH_WERROR=OFF \
    >/dev/null
cmake --build "$BUILD_DIR" --target "${TARGETS[@]}" -j "$JOBS"

failed=0
summary=()
for target in "${TARGETS[@]}"; do
  corpus="$BUILD_DIR/corpus/$target"
  crashes="$BUILD_DIR/crashes/$target"
  log="$BUILD_DIR/$target.log"
  rm -rf "$corpus"
  mkdir -p "$corpus" "$crashes"
  cp fuzz/corpus/"$target"/* "$corpus"/
  if [ -d "fuzz/regressions/$target" ]; then
    find "fuzz/regressions/$target" -maxdepth 1 -type f -exec cp {} "$corpus"/ \;
  fi
  before=$(find "$crashes" -type f | wc -l)
  echo "fuzz: $target for ${SECONDS_PER_TARGET}s (log: $log)"
  status=0
  "$BUILD_DIR/fuzz/$target" "$corpus" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$crashes/" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  size=$(find "$corpus" -type f | wc -l)
  found=$(( $(find "$crashes" -type f | wc -l) - before ))
  if [ "$status" -ne 0 ] && [ "$found" -eq 0 ]; then found=1; fi
  if [ "$found" -ne 0 ]; then failed=1; fi
  summary+=("$(printf '%-24s runs %-10s corpus %-6s crashes %s' "$target" "${runs:-?}" "$size" "$found")")
done

echo
printf '%s\n' "${summary[@]}"
if [ "$failed" -ne 0 ]; then
  echo "fuzz: crash inputs are in $BUILD_DIR/crashes/<target>/; keep each under fuzz/regressions/<target>/ once fixed"
  exit 1
fi
