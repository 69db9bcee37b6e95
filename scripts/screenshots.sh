#!/usr/bin/env bash
# Pictures of the desktop program for the README: runs the end-to-end
# scenario of the real windows under Xvfb and keeps what it shows.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" "$root/build" >/dev/null
mkdir -p "$root/docs/screenshots"
TAVRIX_SCREENSHOTS="$root/docs/screenshots" xvfb-run -a -s "-screen 0 1280x800x24" \
  "$root/build/tests/app/desktop_e2e_test"
ls "$root/docs/screenshots"
