#!/usr/bin/env bash
# Renders res/icons/tolvane.svg into the PNG sizes of the hicolor icon theme
# (res/icons/hicolor/NxN/apps/tolvane.png). Not part of the build: run it after
# changing the SVG and commit the PNGs. Needs rsvg-convert (librsvg2-bin),
# which it installs when run as root.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
svg="$root/res/icons/tolvane.svg"

if ! command -v rsvg-convert >/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "rsvg-convert is missing: install librsvg2-bin (or run as root)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends librsvg2-bin
fi

for n in 16 22 24 32 48 64 128 256; do
  out="$root/res/icons/hicolor/${n}x${n}/apps/tolvane.png"
  mkdir -p "$(dirname "$out")"
  rsvg-convert --width "$n" --height "$n" "$svg" --output "$out"
  echo "$out"
done
