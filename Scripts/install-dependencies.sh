#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang lld libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev zlib1g-dev libdw-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  libsdl2-dev libwayland-dev libgtk-3-dev dpkg-dev libxtst-dev
  libevdev-dev libx11-dev libxkbcommon-dev xkb-data pkg-config dbus-bin dbus-daemon
  lintian appstream librsvg2-bin
  wine64 xvfb xauth xdotool xautomation xclip x11-apps x11-utils librsvg2-common weston imagemagick gzip
  python3 qemu-system-x86 busybox-static kmod xserver-xorg-core xserver-xorg-video-dummy xserver-xorg-input-libinput udev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "All build and test packages are installed."
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
