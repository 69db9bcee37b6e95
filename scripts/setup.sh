#!/usr/bin/env bash
# Installs what Tavrix needs on Debian 12 (only the packages that are
# missing), then configures and builds one build folder with everything:
# the programs, the Python module, the tests and the benchmarks.
#
#   scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/packages.sh"
source "$root/scripts/stages.sh"
build="${1:-$root/build}"
shift || true

mapfile -t missing < <(missing_packages "${main_job_packages[@]}" "${more_packages[@]}")
if [ "${#missing[@]}" -gt 0 ]; then
  stage "Installing ${#missing[@]} Debian packages (first run only)" \
    "$root/scripts/install-packages.sh" "${missing[@]}"
fi

# A decimal-comma locale, so that the tests can run the program under one.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  if [ "$(id -u)" -eq 0 ]; then stage "Making the de_DE.UTF-8 locale" localedef -i de_DE -f UTF-8 de_DE.UTF-8
  else stage "Making the de_DE.UTF-8 locale" sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8; fi
fi

stage "Configuring $(basename "$build")" cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
first=""
[ -e "$build/cli/tavrix" ] || first=" (about 8 minutes on 2 cores the first time)"
stage "Building $(basename "$build")$first" cmake --build "$build" -j "$(nproc)"
