#!/usr/bin/env bash
# Installs, on Debian 12, whatever the build and the tests need and is missing.
# Safe to run again: it only calls apt-get when a package is absent.
# With --full-desktop it also installs what a full desktop has and the player
# then meets: the ffmpeg-based and the "ugly" GStreamer decoders, and the
# accessibility bus.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  sox lame mpg123 twolame ffmpeg espeak-ng
  libcue-dev libmpg123-dev libtag1-dev
  time locales
  desktop-file-utils appstream man-db groff-base dpkg-dev
  xvfb xdotool x11-utils x11-apps netpbm
  qt6-multimedia-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  pulseaudio pulseaudio-utils
)
case "${1:-}" in
  "") ;;
  --full-desktop) packages+=(gstreamer1.0-libav gstreamer1.0-plugins-ugly at-spi2-core) ;;
  *) echo "usage: install-deps.sh [--full-desktop]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
