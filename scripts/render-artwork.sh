#!/usr/bin/env bash
# Renders the vector artwork in resources/artwork/*.svg into the shipped
# resource bundle as name.png, name@2x.png and name@3x.png. The PNGs are
# committed, so a normal build never needs the renderer; run this only after
# changing or adding an SVG.
#
# Usage: scripts/render-artwork.sh [output-dir]
#   output-dir defaults to resources/ScoreLens.bundle
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
src="$root/resources/artwork"
out="${1:-$root/resources/ScoreLens.bundle}"

if ! command -v rsvg-convert >/dev/null 2>&1; then
  echo "render-artwork: rsvg-convert not found; install it with:" >&2
  echo "  apt-get install librsvg2-bin" >&2
  exit 1
fi

# The module looks these up by name; a missing one would only show up as a
# blank icon on the device, so refuse to render an incomplete set.
required=(
  tomato poop shooting_star tomato_bw
  smile puke smile_bw
  x question_mark settings
  old_chevron18x18 new_chevron
)
missing=()
for name in "${required[@]}"; do
  [ -f "$src/$name.svg" ] || missing+=("$name.svg")
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "render-artwork: missing in $src: ${missing[*]}" >&2
  exit 1
fi

mkdir -p "$out"
count=0
for svg in "$src"/*.svg; do
  name="$(basename "$svg" .svg)"
  for scale in 1 2 3; do
    suffix=""
    [ "$scale" -ne 1 ] && suffix="@${scale}x"
    # Render to a temporary file first so a failed render never leaves a
    # truncated PNG in the bundle.
    tmp="$out/.$name$suffix.png.tmp"
    rsvg-convert --zoom="$scale" --format=png --output="$tmp" "$svg"
    mv -f "$tmp" "$out/$name$suffix.png"
    count=$((count + 1))
  done
done
echo "render-artwork: wrote $count images to $out"
