#!/usr/bin/env bash
# The tavrix program as a shell user meets it: the README's exit codes, one
# line on standard error for every mistake, and nothing else on it. What the
# commands refuse and why is tested in-process (commands_test.cpp); here, the
# parsing of the command line and the exit codes of the program itself.
#   command_line_test.sh TAVRIX EXAMPLES_FOLDER
set -u
tavrix=$1
nacl=$2/nacl.csv
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# expect CODE LINES COMMAND...: the exit code and the number of lines on stderr.
expect() {
  local code=$1 lines=$2
  shift 2
  "$@" >"$work/out" 2>"$work/err"
  local got=$? count=$(wc -l <"$work/err")
  [ "$got" -eq "$code" ] && [ "$count" -eq "$lines" ] ||
    fail "$* -> exit $got (not $code), $count lines on stderr (not $lines): $(cat "$work/err")"
}

expect 0 0 "$tavrix" fit --help
expect 1 1 "$tavrix"
expect 1 1 "$tavrix" fit
expect 1 1 "$tavrix" fit --bogus "$nacl"
expect 1 1 "$tavrix" pk 25 1
expect 1 1 "$tavrix" pk --pk298 1 --A 1e39 --B 1 25 1
expect 1 1 "$tavrix" table --pk298 1 --A 1 --B nan
# Exports and pk --from: formats by name only, a sheet without a fit, exclusive options.
expect 1 1 "$tavrix" export --format xml "$nacl"
expect 1 1 "$tavrix" export --format 1 "$nacl"
expect 4 1 "$tavrix" pk --from "$nacl" 25 1
expect 1 1 "$tavrix" pk --from "$nacl" --pk298 1 25 1
expect 1 1 "$tavrix" check --all-sheets --sheet x "$nacl"
# --separator forces a CSV file's separator.
expect 0 0 "$tavrix" check --separator , "$nacl"
expect 1 1 "$tavrix" check --separator ";" "$nacl"
expect 1 1 "$tavrix" check --separator x "$nacl"
# Other models: fitted to the sheet's points where asked; ThermoFun is RB's.
models=$work/models.csv
cp "$nacl" "$models"
expect 1 1 "$tavrix" compare --models density4 "$models"
expect 0 0 "$tavrix" pk --from "$models" --model density3 25 1
expect 1 1 "$tavrix" pk --model density3 25 1
expect 1 1 "$tavrix" export --format thermofun --model density3 "$models"

# --fit takes one value: a parameter after it is no file, and says how.
expect 1 1 "$tavrix" fit --fit pK298 A "$nacl"
grep -q 'comma-separated' "$work/err" || fail "--fit pK298 A: $(cat "$work/err")"
"$tavrix" export --help | grep -q -- '--format NAME:{data.txt,thermofun,phreeqc,grid}' || fail "--format help"
# Nothing is written by compare (what it prints is test_models.py's) and summary.
expect 0 0 "$tavrix" compare --models rb,density3 "$models"
cmp -s "$nacl" "$models" || fail "compare changed the file"
expect 0 0 "$tavrix" export --format grid --model density5 "$models"
grep -q '^# logK .* from the density5 fit of' "$work/out" || fail "grid of density5"
expect 0 0 "$tavrix" summary --csv "$models" "$2/nacl-limits.csv"
[ "$(wc -l <"$work/out")" -eq 3 ] || fail "summary: $(cat "$work/out")"
cp "$nacl" "$work/-nacl.csv"
(cd "$work" && "$tavrix" check -- -nacl.csv >/dev/null) || fail "check -- -nacl.csv"

# The plot, in a build that has it (elsewhere "tavrix plot --help" shows the
# main help): no toolkit diagnostics, and no runtime folder left behind.
if "$tavrix" --help | grep -qE "^ +plot( |$)"; then
  mkdir "$work/tmp"
  "$tavrix" fit "$models" >/dev/null
  expect 0 0 env -u XDG_RUNTIME_DIR -u DISPLAY TMPDIR="$work/tmp" "$tavrix" plot "$models" -o "$work/fit.png"
  [ -z "$(ls -A "$work/tmp")" ] || fail "plot left $(ls -A "$work/tmp")"
  expect 1 1 "$tavrix" plot "$models" -o "$work/missing/fit.png"
fi

[ "$failures" -eq 0 ] && echo "all passed"
exit "$failures"
