#!/usr/bin/env bash
# The whole test suite: sets up, builds with warnings as errors and runs the
# tests; then again in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer; then runs each fuzz target for a bounded time.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
fuzz_seconds="${TAVRIX_FUZZ_SECONDS:-60}"

"$root/scripts/setup.sh" "$root/build" -DTAVRIX_WERROR=ON

# Every source in the project's style (.clang-format).
(cd "$root" && find numeric water model sheet datasheet fit exports books plot office app cli python tests bench examples \
   \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror) || {
  echo "Style: run clang-format -i on the files above"
  exit 1
}

ctest --test-dir "$root/build" --output-on-failure -j "$(nproc)"

# The office tests run in the first build only: LibreOffice's own libraries
# are not built for the sanitizers.
"$root/scripts/setup.sh" "$root/build-sanitize" -DTAVRIX_WERROR=ON -DTAVRIX_SANITIZE=ON \
  -DTAVRIX_BUILD_BENCHMARKS=OFF -DTAVRIX_OFFICE=OFF
ctest --test-dir "$root/build-sanitize" --output-on-failure -j "$(nproc)"

# Fuzzing with libFuzzer (clang).
"$root/scripts/install-packages.sh" clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVRIX_FUZZ=ON -DTAVRIX_BUILD_TESTS=OFF -DTAVRIX_BUILD_BENCHMARKS=OFF -DTAVRIX_OFFICE=OFF \
  -DTAVRIX_WERROR=ON >/dev/null
targets=(fuzz_format_masked fuzz_number_text fuzz_sheet_pass)
cmake --build "$root/build-fuzz" -j "$(nproc)" --target "${targets[@]}"
for target in "${targets[@]}"; do
  corpus="$root/build-fuzz/corpus/$target"
  mkdir -p "$corpus"
  log="$root/build-fuzz/$target.log"
  echo "Fuzzing $target for ${fuzz_seconds} s"
  if ! (cd "$root/build-fuzz" && "./tests/fuzz/$target" -max_total_time="$fuzz_seconds" \
        -timeout=10 -rss_limit_mb=2048 "$corpus") >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "Fuzzing: $target failed (inputs that fail are kept in build-fuzz/)"
    exit 1
  fi
  grep -E '^Done' "$log" || true
done
echo "Fuzzing: ${#targets[@]} passed, 0 failed"
