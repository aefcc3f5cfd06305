#!/usr/bin/env bash
# Draws the program's icon, src/app/lumadisc.ico, in the tool bar's glyph style: a silver disc
# with a white gleam and hub, a green play triangle over its lower right. Each size is drawn
# from the same shapes at its own scale (no down-scaled picture), outlines one pixel wide at
# the small sizes. Usage: tools/icon.sh   (needs ImageMagick; the result is checked in)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

ink='#202020' silver='#c8c8c8' white='#ffffff' green='#009628' darkgreen='#005a14'

# Coordinates are on a 16-unit grid, scaled to the size being drawn.
draw() {
  local size=$1 s line
  s=$(echo "$size / 16" | bc -l)
  line=$(echo "if ($size < 32) 1 else $size / 32" | bc)
  gleam=$(echo "if ($size < 24) 1 else $line * 2" | bc)
  p() { echo "$1 * $s" | bc -l; }
  convert -size "${size}x${size}" xc:none -strokewidth "$line" \
    -stroke "$ink" -fill "$silver" -draw "circle $(p 7.5),$(p 7.5) $(p 7.5),$(p 0.5)" \
    -stroke "$white" -fill none -strokewidth "$gleam" \
      -draw "ellipse $(p 7.5),$(p 7.5) $(p 4.6),$(p 4.6) 185,265" \
    -strokewidth "$line" -stroke "$ink" -fill "$white" -draw "circle $(p 7.5),$(p 7.5) $(p 7.5),$(p 5.5)" \
    -stroke "$darkgreen" -fill "$green" \
      -draw "polygon $(p 7.5),$(p 6.5) $(p 15),$(p 10.75) $(p 7.5),$(p 15)" \
    "PNG32:$work/$size.png"
}

for size in 16 24 32 48 256; do draw "$size"; done
convert "$work"/{16,24,32,48,256}.png "$root/src/app/lumadisc.ico"
identify "$root/src/app/lumadisc.ico"
