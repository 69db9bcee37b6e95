#!/usr/bin/env bash
# The main job: sets up and builds, then fits the bundled NaCl data sheet
# (60 measured dissociation constants) and prints the result and its pK
# table. The fit is saved into a copy in build/example/, not into examples/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" "$root/build" >/dev/null
tavrix="$root/build/cli/tavrix"
work="$root/build/example"
mkdir -p "$work"
cp "$root/examples/nacl.csv" "$work/nacl.csv"

echo "== Fit of the RB parameters to examples/nacl.csv"
"$tavrix" fit "$work/nacl.csv"
echo
echo "== pK table of the fit"
"$tavrix" table "$work/nacl.csv"
echo "(the fitted sheet: $work/nacl.csv)"
