#!/usr/bin/env bash
# The main job: sets up and builds, then runs the calculators on the bundled
# NaCl example (water properties, the RB model and the pK table).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" "$root/build" >/dev/null
tavrix="$root/build/cli/tavrix"
conditions="$root/examples/nacl-conditions.txt"
parameters=(--pk298 -1.166 --A 0.507 --B -90.35)

echo "== Water at the measured conditions: t (C), P used (bar), Psat (bar), density (g/cm3)"
"$tavrix" water - < "$conditions"
echo
echo "== RB model of NaCl(aq): t (C), P (bar), density (g/cm3), pK"
"$tavrix" pk "${parameters[@]}" - < "$conditions"
echo
echo "== pK table"
"$tavrix" table "${parameters[@]}" --complex NaCl --species Na+ --species Cl-
