#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test; does nothing when all
# are present. Safe to run again and again.
set -euo pipefail

packages=(
  g++ cmake ninja-build ccache pkg-config
  clang-14 libclang-rt-14-dev llvm-14
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libgraphviz-dev
  fonts-dejavu-core
  libpq-dev postgresql postgresql-client
  xvfb xauth openbox weston qt6-wayland
  desktop-file-utils appstream libxml2-utils poppler-utils groff-base dpkg-dev git lintian
  mariadb-server mariadb-client sqlite3 libsqlite3-dev tidy
  dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0 xdotool
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  "$(dirname "$0")/fetch_schemas.sh"
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
"$(dirname "$0")/fetch_schemas.sh"
