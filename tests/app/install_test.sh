#!/bin/sh
# Installed into a prefix of the user's own, the desktop program finds its
# template beside it (the system-wide layout, share/tavrix only, is the
# Debian package's: tests/package/package_test.sh).
#   install_test.sh BUILD_DIR
set -eu
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
mkdir -p "$prefix/home"
out=$(TAVRIX_HOME="$prefix/home" "$prefix/bin/tavrix-desktop" --help)
printf '%s\n' "$out" | grep -qxF "Template:    $prefix/bin/Tavrix.xls" ||
  { printf 'expected the template beside the program, got:\n%s\n' "$out" >&2; exit 1; }
