#!/usr/bin/env bash
# Builds datapatch and the store benchmark into ./build (or $BUILD_DIR) and runs the benchmark
# on the large demo store: generation, the first run against the sqlite3 shell replaying what
# the engine asked of SQLite, the second run and each repair on its own. The report goes to
# bench/results/store-<kind>.json. Arguments are passed to the benchmark (--kind, --size,
# --seed, --work, --out, --no-repairs, --reference PREVIOUS_BUILD). Exit 2 when a goal is missed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh >/dev/null
BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-$(nproc)}
cmake -S . -B "$BUILD_DIR" -G Ninja -DDATAPATCH_BENCH=ON ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" --target datapatch-bench-store -j "$JOBS"
exec "$BUILD_DIR/bench/datapatch-bench-store" "$@"
