#!/usr/bin/env bash
# The main job: installs what it needs (the compiler, CMake, the command
# line's libraries, LibreOffice Calc and its SDK), builds the command-line
# program, then fits the bundled NaCl workbook (60 measured dissociation
# constants, an .ods file read through LibreOffice) and prints the result and
# its pK table. The fit is saved into a copy in build-example/, not into
# examples/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/packages.sh"
source "$root/scripts/stages.sh"
build="$root/build-example"

mapfile -t missing < <(missing_packages "${main_job_packages[@]}")
if [ "${#missing[@]}" -gt 0 ]; then
  stage "Installing ${#missing[@]} Debian packages (first run only)" \
    "$root/scripts/install-packages.sh" "${missing[@]}"
fi
stage "Configuring" cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVRIX_DESKTOP=OFF -DTAVRIX_PYTHON=OFF -DTAVRIX_BUILD_TESTS=OFF -DTAVRIX_BUILD_BENCHMARKS=OFF
first=""
[ -e "$build/cli/tavrix" ] || first=" (about 3 minutes on 2 cores the first time)"
stage "Building the command-line program$first" cmake --build "$build" -j "$(nproc)" --target tavrix

tavrix="$build/cli/tavrix"
work="$build/example"
mkdir -p "$work"
cp "$root/examples/nacl.ods" "$work/nacl.ods"

echo
echo "== Fit of the RB parameters to examples/nacl.ods"
"$tavrix" fit "$work/nacl.ods"
echo
echo "== pK table of the fit"
"$tavrix" table "$work/nacl.ods"
echo "(the fitted workbook: $work/nacl.ods)"
