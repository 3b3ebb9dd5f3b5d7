#!/usr/bin/env bash
# Installs what building, testing and running Korvane2 needs on a fresh Debian machine.
# Packages already present are not installed again, so repeated runs are quick.
set -euo pipefail
PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libbenchmark-dev
          qt6-base-dev qt6-base-dev-tools libgl-dev fonts-ipafont-gothic xvfb xauth
          qt6-translations-l10n qt6-charts-dev libqt6opengl6-dev poppler-utils clang libclang-rt-14-dev libsqlite3-dev)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
