#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if missing.
set -euo pipefail

packages=(cmake make g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev zlib1g-dev
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          wine wine64 xvfb xdotool imagemagick python3 locales
          libstb-dev libtinyobjloader-dev qt6-base-dev qt6-qpa-plugins fonts-dejavu-core desktop-file-utils dpkg-dev lintian appstream
          dbus-daemon at-spi2-core libglib2.0-bin python3-pyatspi gir1.2-atspi-2.0
          python3-xlib weston qt6-wayland netpbm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then exit 0; fi

if ! command -v apt-get >/dev/null 2>&1; then
  echo "Missing packages: ${missing[*]} (install them with your package manager)" >&2
  exit 1
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
