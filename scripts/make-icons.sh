#!/usr/bin/env bash
# Regenerates resources/veltrix-{16,32,48}.png and resources/veltrix.ico from resources/veltrix.svg.
# The outputs are committed, so only whoever changes the drawing needs these tools:
# rsvg-convert (Debian librsvg2-bin), icotool (icoutils) and convert (imagemagick).
set -euo pipefail
cd "$(dirname "$0")/../resources"

for tool in rsvg-convert icotool convert; do
  command -v "$tool" >/dev/null || { echo "make-icons.sh: $tool is missing (bash scripts/setup.sh)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The three sizes every Windows version and the Linux window use; committed as PNGs as well.
for size in 16 32 48; do
  rsvg-convert --width="$size" --height="$size" --output="veltrix-$size.png" veltrix.svg
done
# The sizes Windows asks for at 125 % to 200 % text size and in Explorer's large views. PNG32
# gives every one an alpha channel; -strip drops the dates ImageMagick would write into the file.
for size in 20 24 40 64 256; do
  rsvg-convert --width="$size" --height="$size" veltrix.svg | convert - -strip "PNG32:$work/$size.png"
done

# icotool, not ImageMagick: only icotool writes true 24-bit images (convert writes 32 bpp), and
# its --bit-depth holds for the files that follow it. The 256 px image is stored as PNG (--raw),
# which Windows reads since Vista: a few hundred bytes instead of a 256 KB bitmap.
icotool --create --output=veltrix.ico \
  --bit-depth=24 veltrix-16.png veltrix-32.png veltrix-48.png \
  --bit-depth=32 "$work/20.png" "$work/24.png" "$work/40.png" "$work/64.png" --raw="$work/256.png"
icotool --list veltrix.ico
