#!/usr/bin/env bash
# Installs everything, builds the whole tree with AddressSanitizer and UBSan into ./build-sanitize
# (or $BUILD_DIR) and runs the whole test suite under them. Any sanitizer report stops the test
# that made it, so the exit code is ctest's.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-sanitize}
JOBS=${JOBS:-$(nproc)}
bash scripts/install-deps.sh
cmake -S . -B "$BUILD_DIR" -G Ninja -DDATAPATCH_SANITIZE=ON -DDATAPATCH_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" -j "$JOBS"

export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
if [ -f tests/sanitizer/lsan.supp ]; then
    export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0"
fi
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$JOBS"
