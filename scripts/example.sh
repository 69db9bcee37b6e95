#!/usr/bin/env bash
# The main job: sets up and builds, then fits the bundled NaCl workbook (60
# measured dissociation constants, an .ods file read through LibreOffice)
# and prints the result and its pK table. The fit is saved into a copy in
# build/example/, not into examples/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" "$root/build" >/dev/null
tavrix="$root/build/cli/tavrix"
work="$root/build/example"
mkdir -p "$work"
cp "$root/examples/nacl.ods" "$work/nacl.ods"

echo "== Fit of the RB parameters to examples/nacl.ods"
"$tavrix" fit "$work/nacl.ods"
echo
echo "== pK table of the fit"
"$tavrix" table "$work/nacl.ods"
echo "(the fitted workbook: $work/nacl.ods)"
