#!/usr/bin/env bash
# The whole test suite: sets up, builds with warnings as errors and runs the
# tests; builds the Debian package and tries it; then builds again with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs the tests there;
# then runs each fuzz target for a bounded time. One line per stage, with
# its duration.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/stages.sh"
fuzz_seconds="${TAVRIX_FUZZ_SECONDS:-60}"
started=$SECONDS

"$root/scripts/setup.sh" "$root/build" -DTAVRIX_WERROR=ON

# Every source in the project's style (.clang-format).
style() {
  cd "$root" && find numeric water model sheet datasheet fit exports books plot office app cli python tests \
    bench examples \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror
}
stage "Style check (clang-format)" style

stage_shown "Tests" ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build/CMakeCache.txt")
package() {
  local deb
  deb=$("$root/scripts/package.sh" "$root/build")
  "$root/tests/package/package_test.sh" "$deb" "$version" "$root/examples"
}
stage "Debian package: build it and try it unpacked" package

# The office tests run in the first build only: LibreOffice's own libraries
# are not built for the sanitizers.
"$root/scripts/setup.sh" "$root/build-sanitize" -DTAVRIX_WERROR=ON -DTAVRIX_SANITIZE=ON \
  -DTAVRIX_BUILD_BENCHMARKS=OFF -DTAVRIX_OFFICE=OFF
stage_shown "Tests with AddressSanitizer and UndefinedBehaviorSanitizer" \
  ctest --test-dir "$root/build-sanitize" --output-on-failure -j "$(nproc)"

# Fuzzing with libFuzzer (clang).
stage "Installing clang for fuzzing (first run only)" \
  "$root/scripts/install-packages.sh" clang libclang-rt-14-dev
targets=(fuzz_format_masked fuzz_number_text fuzz_sheet_pass)
fuzz_build() {
  CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVRIX_FUZZ=ON -DTAVRIX_BUILD_TESTS=OFF -DTAVRIX_BUILD_BENCHMARKS=OFF -DTAVRIX_OFFICE=OFF \
    -DTAVRIX_WERROR=ON &&
    cmake --build "$root/build-fuzz" -j "$(nproc)" --target "${targets[@]}"
}
stage "Building the fuzz targets" fuzz_build
fuzz() {
  local target=$1 corpus="$root/build-fuzz/corpus/$1"
  mkdir -p "$corpus"
  (cd "$root/build-fuzz" && "./tests/fuzz/$target" -max_total_time="$fuzz_seconds" \
    -timeout=10 -rss_limit_mb=2048 "$corpus")
}
for target in "${targets[@]}"; do
  stage "Fuzzing $target for ${fuzz_seconds} s (inputs that fail are kept in build-fuzz/)" fuzz "$target"
done
echo "All passed in $(stage_duration $((SECONDS - started)))"
