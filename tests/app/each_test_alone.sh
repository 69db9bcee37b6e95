#!/bin/sh
# Runs each test of a GoogleTest program in a process of its own, in order:
# a connection that one test leaves broken cannot fail the tests after it.
# Further arguments (a --gtest_filter) choose the tests.
program=$1
shift
tests=$("$program" "$@" --gtest_list_tests 2>/dev/null | awk '
  /^[^ ]/ { suite = $1 }
  /^  [^ ]/ { print suite $1 }')
[ -n "$tests" ] || { echo "no tests listed by $program" >&2; exit 1; }
failed=""
for test in $tests; do
  "$program" --gtest_filter="$test" || failed="$failed $test"
done
[ -z "$failed" ] || { echo "failed:$failed" >&2; exit 1; }
