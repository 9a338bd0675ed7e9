#!/usr/bin/env bash
# Makes packaging/vellumir.ico: six lit triangles of the lattice around one node, a hexagon on a
# transparent ground, in the colours of a real frame of the animation made vivid. Each size is
# drawn for its own pixel grid: the hexagon's corners fall on whole pixels, and below 48 pixels
# each triangle is one flat colour, so that 16 pixels still show six clear facets. The icon is
# committed, since a Windows build of the saver has neither the frame tool nor ImageMagick; run
# this again only to change it. With a file name it also writes a sheet of every size there.
# It also makes packaging/setup-picture.bmp, the setup program's picture beside its welcome and
# finish pages (164 x 314): the same frame with more rows.
set -euo pipefail
cd "$(dirname "$0")/.."
sheet=${1:-}
scripts/build >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A frame with few rows has large cells; its pastel colours turn vivid at full saturation.
# The shifted rows leave notches at the frame's edges: render wider and keep the middle.
build/native/vellumir-render --width 320 --height 320 --rows 4 --seed 20261208 --mode 3 --frames 600 \
  --png "$work/frame.png"
convert "$work/frame.png" -gravity center -crop 256x256+0+0 +repage -colorspace HSL -channel G -evaluate set 95% -channel B -fx '0.25+0.6*u*u' \
  +channel -colorspace sRGB "$work/vivid.png"

# The facets clockwise from the top, lit from the upper left like the saver's relief.
shades=(1.0 0.85 0.68 0.74 0.88 0.96)
sizes=(16 20 24 32 40 48 64 256)
for size in "${sizes[@]}"; do
  half=$((size / 2)) rise=$(((size * 433 + 500) / 1000))
  xs=(0 $((size / 4)) $((size - size / 4)) "$size") top=$((half - rise)) bottom=$((half + rise))
  # The hexagon's corners clockwise from the upper left, then its centre.
  corners=("${xs[1]},$top" "${xs[2]},$top" "${xs[3]},$half" "${xs[2]},$bottom" "${xs[1]},$bottom" "${xs[0]},$half")
  centre="$half,$half"
  flat=() shading=()
  for facet in 0 1 2 3 4 5; do
    a=${corners[facet]} b=${corners[(facet + 1) % 6]}
    shade=${shades[facet]}
    shading+=(-fill "gray($(awk "BEGIN{print $shade*100}")%)" -draw "polygon $a $b $centre")
    # The frame's colour at the facet's centroid, on the 256-pixel frame.
    sample=$(awk -v a="$a" -v b="$b" -v c="$centre" -v s="$size" 'BEGIN{
      split(a,p,","); split(b,q,","); split(c,r,",");
      printf "%d,%d", (p[1]+q[1]+r[1])/3*256/s, (p[2]+q[2]+r[2])/3*256/s }')
    colour=$(convert "$work/vivid.png" -format "%[fx:int(255*$shade*p{$sample}.r)],%[fx:int(255*$shade*p{$sample}.g)],%[fx:int(255*$shade*p{$sample}.b)]" info:)
    flat+=(-fill "rgb($colour)" -draw "polygon $a $b $centre")
  done
  outline="polygon ${corners[*]}"
  line=$(((size + 47) / 48))
  if [ "$size" -ge 48 ]; then
    convert "$work/vivid.png" -resize "${size}x${size}!" \
      \( -size "${size}x${size}" xc:black "${shading[@]}" \) -compose multiply -composite \
      \( -size "${size}x${size}" xc:black -fill white -draw "$outline" -alpha off \) -alpha off \
      -compose copy-opacity -composite \
      -compose over -fill none -stroke '#141018' -strokewidth "$line" \
      -draw "line ${corners[0]} ${corners[3]}" -draw "line ${corners[1]} ${corners[4]}" \
      -draw "line ${corners[2]} ${corners[5]}" -draw "$outline" "$work/$size.png"
  else
    convert -size "${size}x${size}" xc:none "${flat[@]}" "$work/$size.png"
  fi
done
# -strip keeps dates and names out, so the same frame gives the same bytes.
pictures=("${sizes[@]/#/$work/}") pictures=("${pictures[@]/%/.png}")
convert "${pictures[@]}" -strip packaging/vellumir.ico
echo packaging/vellumir.ico
build/native/vellumir-render --width 240 --height 314 --rows 16 --seed 20261208 --mode 3 --frames 600 \
  --png "$work/side.png"
convert "$work/side.png" -gravity center -crop 164x314+0+0 +repage BMP3:packaging/setup-picture.bmp
echo packaging/setup-picture.bmp
if [ -n "$sheet" ]; then
  # Each size at its own pixels, then the four smallest magnified eight times to judge their grid.
  for size in 16 20 24 32; do
    convert "$work/$size.png" -filter point -resize 800% "$work/magnified-$size.png"
    pictures+=("$work/magnified-$size.png")
  done
  montage "${pictures[@]}" -tile 8x -geometry +8+8 -background '#3a3a3a' "$sheet"
  echo "$sheet"
fi
