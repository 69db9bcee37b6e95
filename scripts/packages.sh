# The Debian 12 packages Tavrix needs, by job. Sourced by the set-up scripts.

# The main job: build the command-line program and fit a workbook in LibreOffice.
main_job_packages=(g++ make cmake libcli11-dev libcsv-dev nlohmann-json3-dev
  libreoffice-calc libreoffice-dev libreoffice-dev-common)

# Everything else: the desktop program and `tavrix plot` (Qt), the Python
# module, the tests (GoogleTest, a decimal-comma locale, the style check, the
# desktop scenario under Xvfb with a window manager and a text document of the
# user's, a browser for the report), the benchmarks and the Debian package.
more_packages=(libgtest-dev libgmock-dev libbenchmark-dev locales clang-format chromium
  qt6-base-dev qt6-svg-dev libqt6opengl6-dev libgl-dev
  xvfb xauth openbox xdotool wmctrl x11-utils e2fsprogs libreoffice-writer
  python3-dev pybind11-dev python3-numpy python3-pytest python3-matplotlib python3-pandas
  dpkg-dev file)

# The packages of the arguments that are not installed yet.
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}
