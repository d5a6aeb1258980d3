#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only those
# that are missing, so that a second run costs a second.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-image-formats-plugins libgl-dev libxcb1-dev qt6-webengine-dev qt6-declarative-dev
  zlib1g-dev libpng-dev libxml2-dev libgif-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick python3 dbus-daemon at-spi2-core
  # Mesa's OpenGL drivers, as on any desktop: the web engine then sets up
  # OpenGL on them, and the end-to-end tests run as users' machines do.
  libgl1-mesa-dri libglx-mesa0
  fonts-dejavu-core
  libssl-dev openssl libboost-dev nettle-dev iproute2
  nginx squid dante-server
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
