#!/usr/bin/env bash
# Installs everything, builds, then the main job: builds a demo store PC (a store database of an
# old layout) in a fresh root under the build folder and patches it with the command line.
# DEMO_KIND=sql uses an embedded SQL Server store instead of an MDB file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
BIN="$BUILD_DIR/datapatch"
ROOT="$BUILD_DIR/demo-root"
rm -rf "$ROOT"
"$BIN" --root "$ROOT" demo --kind "${DEMO_KIND:-mdb}"
# status gives exit code 10 while patching is pending.
"$BIN" --root "$ROOT" status || [ $? -eq 10 ]
"$BIN" --root "$ROOT" run --answer no
"$BIN" --root "$ROOT" status
