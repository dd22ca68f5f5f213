#!/bin/sh
# Installs the Debian packages the suite builds, tests and runs with, when any
# is missing. Safe to run again: it does nothing when all are there.
set -e
PKGS="cmake ninja-build g++ make pkg-config
qt6-base-dev qt6-svg-dev qt6-serialport-dev libgl-dev
libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev
python3 python3-numpy python3-segyio
xvfb xauth x11-utils libxcb1-dev fonts-dejavu-core xdg-utils
clang libclang-rt-14-dev
libquazip1-qt6-dev gnumeric
fonts-liberation2 poppler-utils librsvg2-bin"
missing=""
for p in $PKGS; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "Packages missing ($missing) and no root rights to install them." >&2; exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q --no-install-recommends $missing
