#!/usr/bin/env bash
# Installs the Debian packages Lavinor needs to build, run and test, when they are missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  dpkg-dev file groff-base
  libgtest-dev googletest libbenchmark-dev
  clang-format
  qt6-base-dev qt6-svg-dev libgl-dev qt6-translations-l10n
  libfreetype-dev fonts-ipafont-gothic fonts-ipafont-mincho
  xvfb xauth openbox imagemagick poppler-utils
  klayout python3-ezdxf python3-gdspy gcovr
)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
