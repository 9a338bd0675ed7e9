#!/usr/bin/env bash
# docs/pictures.sh: makes the README's pictures again and writes them into docs/: the animation
# at its top (vellumir.webp) and one render of each pattern mode (mode-1.png to mode-5.png)
# through the frame tool, the browser page at exactly 480 x 270 (web-page.png), the real saver
# under Wine (saver-under-wine.png) and the live preview inside a stand-in settings dialog
# (preview.png). It builds what is out of date first and takes a few minutes. It takes no
# options.
set -euo pipefail
. "$(dirname "$0")/../scripts/lib/arguments.sh" && takes_no_arguments "$@"
cd "$(dirname "$0")/.."
scripts/build >/dev/null
. tests/harness.sh
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "docs/pictures.sh: FAILED: $*" >&2; exit 1; }

for mode in 1 2 3 4 5; do
  build/native/vellumir-render --width 480 --height 270 --seed 20261208 --mode "$mode" --frames 600 --png "docs/mode-$mode.png"
done

# The animation: every second frame, shown 60 ms apart, which is the saver's own pace. Rendered
# at twice the size and scaled down, as a screen's cells are smaller than a picture's pixels.
mkdir "$stage/frames"
seq 0 59 | xargs -P "$(nproc)" -I{} sh -c '
  name=$(printf "%s/%03d" "$1" "$2")
  build/native/vellumir-render --width 960 --height 540 --seed 20261208 --mode 1 --frames $((600 + $2 * 2)) --png "$name-full.png"
  convert "$name-full.png" -resize 480x270 "$name.png" && rm "$name-full.png"' sh "$stage/frames" {}
img2webp -loop 0 -lossy -q 60 -d 60 "$stage/frames"/[0-9][0-9][0-9].png -o docs/vellumir.webp >/dev/null 2>&1

# The browser page as headless Chromium shows it, with its software WebGL, through the browser
# tests' driver: its viewport is the page's size, where a window size would count the frame.
node --input-type=module - "file://$PWD/build/web/page/index.html?seed=20261208&mode=3&frame=600" \
  docs/web-page.png <<'SCRIPT' || fail "the browser page"
import puppeteer from 'puppeteer-core';
const [url, path] = process.argv.slice(-2);
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true,
  args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox', '--hide-scrollbars'],
});
const page = await browser.newPage();
await page.setViewport({width: 480, height: 270, deviceScaleFactor: 1});
await page.goto(url);
await page.waitForFunction('vellumirFrames === 600', {timeout: 120000});
await page.screenshot({path});
await browser.close();
SCRIPT

screen=$(DISPLAY= scripts/run)
convert "$screen" -resize 960x540 docs/saver-under-wine.png

# The preview: the suite's host plays the settings dialog on a private display.
export WINEPREFIX=$PWD/build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
start_xvfb 1280x1024x24 "$stage/xvfb.log" >&2 || fail "no private display"
trap 'wineserver -k 2>/dev/null; kill "$xvfb_pid" 2>/dev/null; rm -rf "$stage"' EXIT
export DISPLAY=$display
cp build/windows/vellumir.scr build/windows/tests/wine/host.exe "$stage/"
(cd "$stage" && wine ./host.exe preview 304 171 stay </dev/null >/dev/null 2>&1 &)
# Wine draws the preview into an offscreen window of the preview area's size.
preview_drawn() {
  local drawable
  drawable=$(xwininfo -root -tree | awk '/\(has no name\): \(\)  304x171\+0\+0/ {print $1; exit}')
  [ -n "$drawable" ] && import -window "$drawable" "PPM:$stage/preview.ppm" 2>/dev/null && covered "$stage/preview.ppm"
}
eventually preview_drawn || fail "the preview did not draw within $patience s"
convert "$stage/preview.ppm" "PNG24:docs/preview.png"
