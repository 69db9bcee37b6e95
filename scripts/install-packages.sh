#!/usr/bin/env bash
# Installs the given Debian packages that are not installed yet (as root,
# or through sudo).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/packages.sh"

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

mapfile -t missing < <(missing_packages "$@")
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
