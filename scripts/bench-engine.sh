#!/usr/bin/env bash
# Builds the engine benchmark into ./build-bench (or $BUILD_DIR, optimised) and runs it; the
# result goes to bench/results/engine.json. Arguments are passed to the benchmark
# (--statements, --rounds, --seed, --out, --work); $CMAKE_ARGS adds configure options. Exit 2
# when the engine misses its goal.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-bench}
JOBS=${JOBS:-$(nproc)}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDATAPATCH_TESTS=OFF \
    -DDATAPATCH_BENCH=ON ${CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" --target datapatch-bench-engine -j "$JOBS"
exec "$BUILD_DIR/bench/datapatch-bench-engine" "$@"
