#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the hand-drawn SVG icon into the PNG sizes that are committed beside it. Run it after
# changing the SVG; it needs rsvg-convert (Debian librsvg2-bin), which the build does not.
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
command -v rsvg-convert >/dev/null || { echo "render-icons.sh: needs rsvg-convert (apt-get install librsvg2-bin)" >&2; exit 2; }
for size in 16 32 48 128 256; do
  rsvg-convert --width "$size" --height "$size" --format png \
    --output "org.vantorel.Vantorel-$size.png" org.vantorel.Vantorel.svg
done
