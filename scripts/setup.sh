#!/usr/bin/env bash
# Installs what Tavrix needs on Debian 12 (only the packages that are
# missing), then configures and builds one build folder.
#
#   scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
shift || true

"$root/scripts/install-packages.sh" g++ make cmake libgtest-dev libgmock-dev libbenchmark-dev \
  libcli11-dev libcsv-dev nlohmann-json3-dev locales libreoffice-calc libreoffice-dev libreoffice-dev-common \
  qt6-base-dev qt6-svg-dev libqt6opengl6-dev libgl-dev clang-format \
  xvfb xauth openbox xdotool x11-utils e2fsprogs libreoffice-writer \
  python3-dev pybind11-dev python3-numpy python3-pytest python3-matplotlib python3-pandas

# A decimal-comma locale, so that the tests can run the program under one.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  if [ "$(id -u)" -eq 0 ]; then localedef -i de_DE -f UTF-8 de_DE.UTF-8
  else sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8; fi
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
