#!/usr/bin/env bash
# Makes packaging/vellumir.ico from a real frame of the animation: a few large cells, so the
# lattice still reads at 16 pixels. The icon is committed, since a Windows build of the saver
# has neither the frame tool nor ImageMagick; run this again only to change it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The lattice's shifted rows leave notches at the left edge: render wider and keep the middle.
build/native/vellumir-render --width 320 --height 320 --rows 8 --seed 20261208 --mode 1 --frames 600 \
  --png "$work/frame.png"
convert "$work/frame.png" -gravity center -crop 256x256+0+0 +repage -modulate 100,150 "$work/256.png"
for size in 16 32 48; do
  convert "$work/256.png" -resize "${size}x${size}" "$work/$size.png"
done
# -strip keeps dates and names out, so the same frame gives the same bytes.
convert "$work/16.png" "$work/32.png" "$work/48.png" "$work/256.png" -strip packaging/vellumir.ico
echo packaging/vellumir.ico
