#!/usr/bin/env bash
# Renders the program icon data/icons/pathkeep.svg into the PNG sizes shipped beside it
# (data/icons/hicolor/<n>x<n>/apps/pathkeep.png). Run after changing the SVG; needs rsvg-convert
# (Debian package librsvg2-bin). The PNGs are committed, so building does not need it.
set -euo pipefail
cd "$(dirname "$0")/.."
for n in 16 22 24 32 48 64 128 256; do
  mkdir -p "data/icons/hicolor/${n}x${n}/apps"
  rsvg-convert -w "$n" -h "$n" data/icons/pathkeep.svg -o "data/icons/hicolor/${n}x${n}/apps/pathkeep.png"
done
