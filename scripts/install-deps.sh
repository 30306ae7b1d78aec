#!/usr/bin/env bash
# Installs every package Pathkeep needs to build, run, test and benchmark (Debian 12), and the
# packages named as arguments.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config lld
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libqt6svg6
  libsqlite3-dev libsqlitecpp-dev sqlite3
  libasio-dev libssl-dev libcurl4-openssl-dev zlib1g-dev
  libsimpleini-dev
  libxcb1-dev libxcb-keysyms1-dev liblz4-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  xvfb xauth xdotool xclip x11-utils openssl ccache poppler-utils
  appstream desktop-file-utils groff-base
  dbus at-spi2-core python3 python3-gi gir1.2-atspi-2.0 libglib2.0-bin
  firefox-esr
  chromium
  weston qt6-wayland
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
