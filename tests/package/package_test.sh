#!/bin/sh
# The Debian package, unpacked into a root of its own as dpkg would install
# it (without touching the system), works from there: the version, a fit of
# a copy of the example workbook, the Python module, the desktop program's
# template; and its Depends name the libraries the programs link.
#   package_test.sh DEB VERSION EXAMPLES_DIR
set -eu
deb=$1 version=$2 examples=$3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { printf 'package: %s\n' "$*" >&2; exit 1; }

dpkg-deb -x "$deb" "$root"
bin="$root/usr/bin"
[ "$("$bin/tavrix" --version)" = "tavrix $version" ] || fail "tavrix --version is not $version"

cp "$examples/nacl.ods" "$root/nacl.ods"
"$bin/tavrix" fit "$root/nacl.ods" >"$root/fit.txt" || fail "tavrix fit failed"
grep -q '^pK(298): -1.229 ± 0.352$' "$root/fit.txt" || fail "unexpected fit: $(cat "$root/fit.txt")"
"$bin/tavrix" table "$root/nacl.ods" >/dev/null || fail "the fitted copy shows no fit"

site="$root/usr/lib/python3/dist-packages"
PYTHONPATH="$site" /usr/bin/python3 -c '
import sys, tavrix
assert tavrix.__file__.startswith(sys.argv[1]), tavrix.__file__
assert tavrix.__version__ == sys.argv[2], tavrix.__version__
' "$site" "$version" || fail "the Python module is not in $site"

TAVRIX_HOME="$root/home" "$bin/tavrix-desktop" --help | grep -qxF "Template:    $root/usr/share/tavrix/Tavrix.xls" ||
  fail "tavrix-desktop does not find its template in share/tavrix"
[ -f "$root/usr/share/applications/tavrix.desktop" ] || fail "no desktop entry"
[ ! -e "$bin/Tavrix.xls" ] || fail "a template beside the program in /usr/bin"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libreoffice-calc python3-numpy libqt6widgets6 libuno-sal3 libc6; do
  printf '%s\n' "$depends" | grep -q "$needed" || fail "Depends lacks $needed: $depends"
done
echo "package: $(basename "$deb") works from an unpacked root"
