#!/usr/bin/env bash
# Installs every Debian package Tessaly needs to build, run and test (clang 14 with its runtime
# libraries and llvm-symbolizer: the fuzz targets and readable sanitizer stacks).
# Idempotent: packages already present are left alone, so repeated runs cost a dpkg query.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  fonts-dejavu-core
  qt6-base-dev libqt6opengl6-dev qt6-svg-dev qt6-base-dev-tools
  libqt6sql6-sqlite libqt6sql6-odbc
  mdbtools mdbtools-dev libfreexl-dev libzip-dev
  unixodbc unixodbc-dev tdsodbc libsqliteodbc sqlite3 libsqlite3-dev
  postgresql-15 odbc-postgresql
  mariadb-server-core mariadb-client-core odbc-mariadb
  xvfb xauth python3 python3-xlwt
  poppler-utils
  clang-14 libclang-rt-14-dev llvm-14
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
