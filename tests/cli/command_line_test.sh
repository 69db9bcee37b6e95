#!/usr/bin/env bash
# The tavrix program as a shell user meets it: the README's exit codes, one
# line on standard error for every mistake, and nothing else on it. What the
# commands refuse and why is tested in-process (commands_test.cpp,
# book_commands_test.cpp); here, the parsing of the command line and the
# exit codes of the program itself.
#   command_line_test.sh TAVRIX EXAMPLES_FOLDER
set -u
tavrix=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect CODE LINES COMMAND...: the exit code and the number of lines on stderr.
expect() {
  local code=$1 lines=$2
  shift 2
  "$@" >"$work/out" 2>"$work/err"
  local got=$? count
  count=$(wc -l <"$work/err")
  if [ "$got" -ne "$code" ] || [ "$count" -ne "$lines" ]; then
    echo "FAILED: $* -> exit $got (not $code), $count lines on stderr (not $lines):"
    cat "$work/err"
    failures=$((failures + 1))
  fi
}

expect 0 0 "$tavrix" fit --help
expect 1 1 "$tavrix"
expect 1 1 "$tavrix" brew
expect 1 1 "$tavrix" fit
expect 1 1 "$tavrix" fit --bogus "$examples/nacl.csv"
expect 1 1 "$tavrix" check "$work/none.csv"
expect 1 1 "$tavrix" pk 25 1
for value in nan inf -inf 1e309 x; do
  expect 1 1 "$tavrix" pk --pk298 "$value" --A 1 --B 1 25 1
done
expect 1 1 "$tavrix" pk --pk298 1 --A 1e39 --B 1 25 1
expect 1 1 "$tavrix" table --pk298 1 --A 1 --B nan
expect 1 1 "$tavrix" water 1e30 1

expect 0 0 "$tavrix" --version
grep -qxE 'tavrix [0-9]+\.[0-9]+\.[0-9]+' "$work/out" || { echo "FAILED: --version: $(cat "$work/out")"; failures=$((failures + 1)); }
# --fit takes one value: a parameter after it is no file, and says how.
expect 1 1 "$tavrix" fit --fit pK298 A "$examples/nacl.csv"
grep -q 'comma-separated' "$work/err" || { echo "FAILED: --fit pK298 A: $(cat "$work/err")"; failures=$((failures + 1)); }

# Exports and pk --from: formats by name only, exclusive options, a sheet without a fit.
expect 1 1 "$tavrix" export --format xml "$examples/nacl.csv"
expect 1 1 "$tavrix" export --format 1 "$examples/nacl.csv"
"$tavrix" export --help | grep -q -- '--format NAME:{data.txt,thermofun,phreeqc,grid}' || { echo "FAILED: --format help"; failures=$((failures + 1)); }
expect 4 1 "$tavrix" pk --from "$examples/nacl.csv" 25 1
expect 1 1 "$tavrix" pk --from "$examples/nacl.csv" --pk298 1 25 1

# Other models: fitted to the sheet's points where asked; ThermoFun and
# data.txt are RB's; nothing is written by compare and summary.
cp "$examples/nacl.csv" "$work/models.csv"
expect 0 0 "$tavrix" compare --models rb,density3 "$work/models.csv"
[ "$(wc -l <"$work/out")" -eq 3 ] || { echo "FAILED: compare: $(cat "$work/out")"; failures=$((failures + 1)); }
cmp -s "$examples/nacl.csv" "$work/models.csv" || { echo "FAILED: compare changed the file"; failures=$((failures + 1)); }
expect 1 1 "$tavrix" compare --models density4 "$work/models.csv"
expect 0 0 "$tavrix" pk --from "$work/models.csv" --model density3 25 1
expect 1 1 "$tavrix" pk --model density3 25 1
expect 0 0 "$tavrix" export --format grid --model density5 "$work/models.csv"
grep -q '^# logK .* from the density5 fit of' "$work/out" || { echo "FAILED: grid of density5"; failures=$((failures + 1)); }
expect 1 1 "$tavrix" export --format thermofun --model density3 "$work/models.csv"
expect 0 0 "$tavrix" summary --csv "$work/models.csv" "$examples/nacl-limits.csv"
[ "$(wc -l <"$work/out")" -eq 3 ] || { echo "FAILED: summary: $(cat "$work/out")"; failures=$((failures + 1)); }
expect 1 1 "$tavrix" check --all-sheets --sheet x "$work/models.csv"

# CSV sheets: .txt and .tsv files are CSV too; --separator forces one.
for extension in txt tsv; do
  cp "$examples/nacl.csv" "$work/nacl.$extension"
  expect 0 0 "$tavrix" check "$work/nacl.$extension"
done
expect 0 0 "$tavrix" check --separator , "$examples/nacl.csv"
expect 1 1 "$tavrix" check --separator ";" "$examples/nacl.csv"
expect 1 1 "$tavrix" check --separator x "$examples/nacl.csv"
printf 'notes\n' >"$work/notes.txt"
expect 1 1 "$tavrix" check "$work/notes.txt"

# A file name that begins with '-' after --.
cp "$examples/nacl.csv" "$work/-nacl.csv"
(cd "$work" && "$tavrix" check -- -nacl.csv >/dev/null) || { echo "FAILED: check -- -nacl.csv"; failures=$((failures + 1)); }

# The plot, in a build that has it (elsewhere "tavrix plot --help" shows the
# main help): no toolkit diagnostics, and no runtime folder left behind.
if "$tavrix" --help | grep -qE "^ +plot( |$)"; then
  mkdir "$work/tmp"
  cp "$examples/nacl.csv" "$work/fit.csv"
  "$tavrix" fit "$work/fit.csv" >/dev/null
  expect 0 0 env -u XDG_RUNTIME_DIR -u DISPLAY TMPDIR="$work/tmp" "$tavrix" plot "$work/fit.csv" -o "$work/fit.png"
  [ -z "$(ls -A "$work/tmp")" ] || { echo "FAILED: plot left $(ls -A "$work/tmp")"; failures=$((failures + 1)); }
  expect 1 1 "$tavrix" plot "$work/fit.csv" -o "$work/missing/fit.png"
fi

[ "$failures" -eq 0 ] && echo "all passed"
exit "$failures"
