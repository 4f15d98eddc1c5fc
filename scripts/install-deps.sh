#!/usr/bin/env bash
# Installs every build and run dependency from Debian's packages. Idempotent: packages that are
# already installed are skipped, and apt is only asked when something is missing.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config make
  libgtest-dev libgmock-dev googletest
  libsqlite3-dev sqlite3
  unixodbc-dev odbcinst libsqliteodbc
  mdbtools-dev libmdb3
  libcli11-dev
  clang-format
  qt6-base-dev fonts-nanum
)
PACKAGES+=("$@")

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
