#!/usr/bin/env bash
# Makes the README's pictures: the animation at its top and one render of each pattern mode
# through the frame tool, the browser page, the real saver under Wine, and the live preview
# inside a stand-in settings dialog.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build >/dev/null

for mode in 1 2 3 4 5; do
  build/native/vellumir-render --width 480 --height 270 --seed 20261208 --mode "$mode" --frames 600 --png "docs/mode-$mode.png"
done

# The animation: every second frame, shown 60 ms apart, which is the saver's own pace. Rendered
# at twice the size and scaled down, as a screen's cells are smaller than a picture's pixels.
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
seq 0 59 | xargs -P "$(nproc)" -I{} sh -c '
  name=$(printf "%s/%03d" "$1" "$2")
  build/native/vellumir-render --width 960 --height 540 --seed 20261208 --mode 1 --frames $((600 + $2 * 2)) --png "$name-full.png"
  convert "$name-full.png" -resize 480x270 "$name.png" && rm "$name-full.png"' sh "$frames" {}
img2webp -loop 0 -lossy -q 60 -d 60 "$frames"/[0-9][0-9][0-9].png -o docs/vellumir.webp >/dev/null 2>&1
rm -rf "$frames"

# The browser page as headless Chromium shows it, with its software WebGL.
profile=$(mktemp -d)
chromium --headless=new --use-angle=swiftshader --enable-unsafe-swiftshader --no-sandbox --user-data-dir="$profile" \
  --force-device-scale-factor=1 --hide-scrollbars --window-size=480,270 --virtual-time-budget=10000 \
  --screenshot=docs/web-page.png "file://$PWD/build/web/page/index.html?seed=20261208&mode=3&frame=600" >/dev/null 2>&1
rm -rf "$profile"

convert "$(DISPLAY= scripts/run)" -resize 960x540 docs/saver-under-wine.png

# The preview: the suite's host plays the settings dialog on a private display.
export WINEPREFIX=$PWD/build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
display=98
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null; kill $xvfb 2>/dev/null; rm -rf "${stage:-}"' EXIT
export DISPLAY=:$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
stage=$(mktemp -d)
cp build/windows/vellumir.scr build/windows/tests/wine/host.exe "$stage/"
(cd "$stage" && wine ./host.exe preview 304 171 stay >/dev/null 2>&1 &)
sleep 6
# Wine draws the preview into an offscreen window of the preview area's size.
drawable=$(xwininfo -root -tree | awk '/\(has no name\): \(\)  304x171\+0\+0/ {print $1; exit}')
import -window "$drawable" docs/preview.png
