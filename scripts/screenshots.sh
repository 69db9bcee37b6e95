#!/usr/bin/env bash
# Pictures of the desktop program for the README: runs the end-to-end
# scenario of the real windows under Xvfb, with a window manager (openbox),
# and keeps what it shows, frames included.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" "$root/build" >/dev/null
mkdir -p "$root/docs/screenshots"
TAVRIX_SCREENSHOTS="$root/docs/screenshots" xvfb-run -a -s "-screen 0 1280x800x24" \
  "$root/tests/app/run_with_wm.sh" "$root/build/tests/app/desktop_e2e_test" \
  --gtest_filter='Desktop.StartsBeside*:Desktop.EditComeBack*'
ls "$root/docs/screenshots"
