#!/usr/bin/env bash
# The whole test suite: sets up, builds with warnings as errors and runs the
# tests, then does the same in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/scripts/setup.sh" "$root/build" -DTAVRIX_WERROR=ON
ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)"

"$root/scripts/setup.sh" "$root/build-sanitize" -DTAVRIX_WERROR=ON -DTAVRIX_SANITIZE=ON \
  -DTAVRIX_BUILD_BENCHMARKS=OFF
ctest --test-dir "$root/build-sanitize" --output-on-failure -j "$(nproc)"
