#!/bin/sh
# The installed desktop program finds its template in both layouts: beside
# the program (a prefix of the user's own), and in share/tavrix when the
# program's folder holds none and the home folder has moved elsewhere (a
# system-wide install).
#   install_test.sh BUILD_DIR
set -eu
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null

expect_template() {
  out=$(TAVRIX_HOME="$prefix/home" "$prefix/bin/tavrix-desktop" --help)
  if ! printf '%s\n' "$out" | grep -qxF "Template:    $1"; then
    printf 'expected the template at %s, got:\n%s\n' "$1" "$out" >&2
    exit 1
  fi
}
mkdir -p "$prefix/home"
expect_template "$prefix/bin/Tavrix.xls"
rm "$prefix/bin/Tavrix.xls"
expect_template "$prefix/share/tavrix/Tavrix.xls"
echo "template found in both layouts"
