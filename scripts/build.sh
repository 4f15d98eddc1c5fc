#!/usr/bin/env bash
# Configures and builds into ./build (or $BUILD_DIR) with warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
JOBS=${JOBS:-$(nproc)}
cmake -S . -B "$BUILD_DIR" -G Ninja -DDATAPATCH_WERROR=ON "$@" >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"
