#!/usr/bin/env bash
# Pictures for the README: runs the end-to-end scenario of the desktop
# program's real windows under Xvfb, with a window manager (openbox), and
# keeps what it shows, frames included; and the report in a browser.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" "$root/build" >/dev/null
mkdir -p "$root/docs/screenshots"
TAVRIX_SCREENSHOTS="$root/docs/screenshots" xvfb-run -a -s "-screen 0 1280x800x24" \
  "$root/tests/app/run_with_wm.sh" "$root/build/tests/app/desktop_e2e_test" \
  --gtest_filter='Desktop.StartsFramed*:Desktop.TwoWorkbooks*'
# The report of the NaCl fit, as headless Chromium shows it.
TAVRIX_SCREENSHOTS="$root/docs/screenshots" \
  ctest --test-dir "$root/build" -R '^report\.browser$' --output-on-failure >/dev/null
ls "$root/docs/screenshots"
