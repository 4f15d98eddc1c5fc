#!/usr/bin/env bash
# Installs everything, builds, and runs the main job on the embedded default.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
"${BUILD_DIR:-build}/datapatch" --version
