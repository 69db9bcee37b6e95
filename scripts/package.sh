#!/usr/bin/env bash
# Builds the Debian package tavrix_<version>_amd64.deb from a build folder
# (set up and built by scripts/setup.sh) into that folder, and prints its
# path.
#
#   scripts/package.sh [BUILD_DIR]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || {
  tail -n 40 "$build/cpack.log"
  exit 1
}
ls "$build"/tavrix_*.deb
