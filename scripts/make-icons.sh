#!/usr/bin/env bash
# Regenerates resources/veltrix-{16,32,48}.png and resources/veltrix.ico from resources/veltrix.svg.
# The outputs are committed, so only whoever changes the drawing needs these tools:
# rsvg-convert (Debian librsvg2-bin) and icotool (icoutils).
set -euo pipefail
cd "$(dirname "$0")/../resources"

for tool in rsvg-convert icotool; do
  command -v "$tool" >/dev/null || { echo "make-icons.sh: $tool is missing (bash scripts/setup.sh)" >&2; exit 1; }
done

pngs=()
for size in 16 32 48; do
  rsvg-convert --width="$size" --height="$size" --output="veltrix-$size.png" veltrix.svg
  pngs+=("veltrix-$size.png")
done

# icotool, not ImageMagick: only icotool writes true 24-bit images (convert writes 32 bpp).
icotool --create --bit-depth=24 --output=veltrix.ico "${pngs[@]}"
icotool --list veltrix.ico
