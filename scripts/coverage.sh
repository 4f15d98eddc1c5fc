#!/usr/bin/env bash
# Line and branch coverage of the product code by the whole test suite, per layer, and the test
# code lines per layer: the figures of docs/test-coverage.md.
#
#   scripts/coverage.sh [BUILD_DIR]        (default build-cov; configured when it does not exist)
#   scripts/coverage.sh BUILD_DIR --report (the figures of the last run again, nothing built or run)
#
# The build is a Debug build with --coverage and no compiler cache (a cached object would bring
# another checkout's counters). It runs every test of ctest, then prints one table row a layer.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-cov}
report_only=${2:-}
jobs=${JOBS:-2}

bash scripts/install-deps.sh lcov cloc >/dev/null

if [ "$report_only" != --report ]; then
if [ ! -f "$build/build.ninja" ]; then
  CCACHE_DISABLE=1 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage \
    -DDATAPATCH_BENCH=OFF >/dev/null
fi
CCACHE_DISABLE=1 ninja -C "$build" -j"$jobs" >/dev/null

find "$build" -name '*.gcda' -delete
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest -j"$jobs" --output-on-failure >ctest.log) ||
  echo "coverage: some tests failed; see $build/ctest.log" >&2

lcov --quiet --capture -d "$build" -o "$build/all.info" --rc lcov_branch_coverage=1 2>/dev/null
# The product's own code only: not the tests, not the system's headers.
lcov --quiet --remove "$build/all.info" '*/tests/*' '/usr/*' '*/build*' -o "$build/product.info" \
  --rc lcov_branch_coverage=1 2>/dev/null
fi

# "hit/found" of one kind of line in an lcov summary.
figure() {
  local what=$1 file=$2
  lcov --summary "$file" --rc lcov_branch_coverage=1 2>&1 |
    awk -v w="$what" '$1 ~ "^" w "[.]*:$" { gsub(/[()]/, "", $3); printf "%s (%s/%s)", $2, $3, $5 }'
}

test_lines() {
  [ -d "tests/$1" ] || { echo 0; return; }
  cloc --quiet --csv --include-lang='C++,C/C++ Header' "tests/$1" | awk -F, '$2 == "SUM" { print $5 }'
}

echo "| layer | test code lines | line coverage | branch coverage |"
echo "|---|---:|---:|---:|"
for layer in host util db config history repairs patch demo app gui cli tools; do
  case $layer in
    cli) pattern="*/cli/*" ;;
    gui) pattern="*/gui/*" ;;
    tools) pattern="*/tools/*" ;;
    *) pattern="*/src/$layer/*" ;;
  esac
  lcov --quiet --extract "$build/product.info" "$pattern" -o "$build/$layer.info" \
    --rc lcov_branch_coverage=1 2>/dev/null || continue
  echo "| $layer | $(test_lines "$layer") | $(figure lines "$build/$layer.info") |" \
    "$(figure branches "$build/$layer.info") |"
done
tests=$(cloc --quiet --csv --include-lang='C++,C/C++ Header' tests | awk -F, '$2 == "SUM" { print $5 }')
product=$(cloc --quiet --csv --include-lang='C++,C/C++ Header' src cli gui tools |
  awk -F, '$2 == "SUM" { print $5 }')
echo
echo "test code lines $tests, product code lines $product, ratio $(awk -v t="$tests" -v p="$product" 'BEGIN { printf "%.3f", t / p }')"
