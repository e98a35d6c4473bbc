#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, when they are missing.
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-mysql qt6-multimedia-dev qt6-svg-dev
  qt6-tools-dev qt6-l10n-tools gstreamer1.0-plugins-good
  libmariadb-dev mariadb-server mariadb-client libcurl4-openssl-dev
  libsqlite3-dev sqlite3 libsimpleini-dev libgtest-dev libbenchmark-dev googletest
  xdg-utils xvfb xauth fonts-liberation2 poppler-utils python3-aiosmtpd
  desktop-file-utils appstream file
  # The CMake files of Qt Charts look for Qt OpenGL, which qt6-charts-dev does not pull in.
  libxlsxwriter-dev qt6-charts-dev libqt6opengl6-dev python3-openpyxl
  imagemagick x11-apps sox lame ca-certificates openssl
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
