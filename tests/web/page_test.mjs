// The web page in Debian's headless Chromium with its software WebGL: what a visitor meets.
// Needs build/web (the page) and build/native (the frame tool); run from scripts/test.
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import {mkdtempSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {after, before, test} from 'node:test';
import {fileURLToPath} from 'node:url';
import puppeteer from 'puppeteer-core';

const top = fileURLToPath(new URL('../..', import.meta.url));
const pageUrl = 'file://' + join(top, 'build/web/page/index.html');
const scratch = mkdtempSync(join(tmpdir(), 'vellumir-web-test-'));
let browser;

before(async () => {
  browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true,
    // Display refreshes as fast as the page can draw: a page that computed a frame per refresh,
    // rather than per 30 ms, shows it.
    args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox', '--hide-scrollbars',
           '--disable-frame-rate-limit', '--disable-gpu-vsync'],
  });
});
after(async () => {
  await browser?.close();
  rmSync(scratch, {recursive: true, force: true});
});

// A page at this size with these URL parameters, and every console error and uncaught exception;
// `prepare`, a script, runs in it before any of the page's own.
async function open(query, width = 640, height = 360, prepare = '') {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(prepare);
  const errors = [];
  page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
  page.on('pageerror', (error) => errors.push(error.message));
  await page.setViewport({width, height, deviceScaleFactor: 1});
  await page.goto(`${pageUrl}?${query}`);
  return {page, errors};
}

const frames = (page) => page.evaluate('vellumirFrames');
async function shot(page, name) {
  const path = join(scratch, name + '.png');
  await page.screenshot({path});
  return path;
}
const magick = (command, ...args) => execFileSync(command, args, {encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe']});
const mean = (png) => Number(magick('convert', png, '-format', '%[fx:mean]', 'info:'));
// Pixels that differ by more than `fuzz` percent; compare exits 1 when any do.
function differing(a, b, fuzz) {
  try {
    return Number(execFileSync('compare', ['-metric', 'AE', '-fuzz', `${fuzz}%`, a, b, 'null:'], {stdio: 'pipe'}));
  } catch (error) {
    return Number(error.stderr.toString());
  }
}

test('the page loads without an error, draws, animates, and draws again on a restored context', async () => {
  const {page, errors} = await open('rows=40&fbclid=IwAR0');
  await page.waitForFunction('vellumirFrames >= 2');
  const first = await shot(page, 'first');
  const later = (await frames(page)) + 5;
  await page.waitForFunction(`vellumirFrames >= ${later}`);
  const second = await shot(page, 'second');
  assert.ok(mean(first) > 0.1, 'the page is black');
  assert.ok(differing(first, second, 0) > 0, 'the picture does not change');

  // Paused, so that only the restored context's own set-up can bring the picture back.
  await page.keyboard.press('Space');
  await page.evaluate(() => {
    window.contextLoss = canvas.getContext('webgl').getExtension('WEBGL_lose_context');
    contextLoss.loseContext();
  });
  await page.waitForSelector('#message:not([hidden])');
  await page.evaluate(() => contextLoss.restoreContext());
  await page.waitForSelector('#message', {hidden: true});
  for (let deadline = Date.now() + 20000; mean(await shot(page, 'restored')) <= 0.1;)
    assert.ok(Date.now() < deadline, 'the restored context stays black');
  assert.deepEqual(errors, []);
  await page.close();
});

// The rasterisers differ only at triangle edges that run through pixel centres: measured over
// the five modes, at most 1.0% of the pixels differ by more than 3% (docs/web.md).
test('a still frame matches the frame tool\'s picture', async () => {
  for (const mode of [1, 2, 3, 4, 5]) {
    const {page, errors} = await open(`seed=7&mode=${mode}&rows=60&frame=25`);
    await page.waitForFunction('vellumirFrames === 25');
    const got = await shot(page, `page-${mode}`);
    const want = join(scratch, `tool-${mode}.png`);
    execFileSync(join(top, 'build/native/vellumir-render'), ['--width', '640', '--height', '360', '--rows', '60',
      '--seed', '7', '--mode', String(mode), '--frames', '25', '--png', want]);
    assert.ok(differing(got, want, 3) <= 0.01 * 640 * 360, `mode ${mode}: ${differing(got, want, 3)} pixels differ`);
    assert.deepEqual(errors, []);
    await page.close();
  }
});

test('a bad parameter gives a plain message and no exception', async () => {
  const cases = [
    ['rows=0', "rows must be a whole number from 1 to 600, not '0'"],
    ['mode=6', "mode must be 1, 2, 3, 4 or 5, not '6'"],
    ['seed=4294967296', "seed must be an unsigned 32-bit decimal number, not '4294967296'"],
    ['frame=-1', "frame must be a whole number from 0 to 1000, not '-1'"],
    ['frame=1001', "frame must be a whole number from 0 to 1000, not '1001'"],
    ['fbclid=x&rows=2%003', "rows must be a whole number from 1 to 600, not '2\\x003'"],
  ];
  for (const [query, expected] of cases) {
    const {page, errors} = await open(query);
    await page.waitForSelector('#message:not([hidden])');
    const text = await page.$eval('#message', (element) => element.textContent);
    assert.ok(text.includes(expected), `${query}: ${text}`);
    assert.equal(await frames(page), 0);
    assert.deepEqual(errors, []);
    await page.close();
  }
});

// WebGL refusing a shader, or the browser the memory a large lattice needs, as it may elsewhere.
test('a refused shader or memory, or a long still picture, gives a plain message', async () => {
  const alterShaders = (change) => `const original = WebGLRenderingContext.prototype.shaderSource;
    WebGLRenderingContext.prototype.shaderSource = function (shader, text) { original.call(this, shader, ${change}); };`;
  const cases = [
    ['rows=4', alterShaders("text.includes('gl_Position') ? text + 'broken' : text"), 'WebGL rejected its vertex shader ('],
    ['rows=4', alterShaders("text.includes('gl_FragColor') ? text.replace(/shade/g, 'tint') : text"),
     'WebGL could not link its shaders ('],
    ['rows=600', 'WebAssembly.Memory.prototype.grow = () => { throw new RangeError("refused"); };', 'gave it no more memory'],
    ['rows=600&frame=1000', '', 'Computing frame '],
  ];
  for (const [query, prepare, expected] of cases) {
    const {page} = await open(query, 640, 360, prepare);
    await page.waitForFunction((text) => message.textContent.includes(text) && !message.hidden, {}, expected);
    await page.close();
  }
});

test('a hidden page computes no frames, and goes on without racing when it returns', async () => {
  // Small and coarse, so a display refresh costs little and comes much more often than a frame.
  const {page} = await open('rows=4', 160, 90);
  await page.waitForFunction('vellumirFrames >= 2');
  const front = await browser.newPage();
  await front.bringToFront();
  await page.waitForFunction('document.visibilityState === "hidden"');
  const hidden = await frames(page);
  // Absence can only be shown over time: a second is more than thirty frames' worth.
  await front.evaluate(() => new Promise((resolve) => setTimeout(resolve, 1000)));
  assert.equal(await frames(page), hidden);
  // Watched from the page's display refreshes, each right after the page's own: the first one
  // back shows one frame more, not a burst, and the next twenty keep the 30 ms pace, not a race.
  await page.evaluate(() => {
    const hiddenFrames = vellumirFrames;
    window.resumed = new Promise((resolve) => {
      let first = null, refreshes = 0;
      const watch = (now) => {
        if (first === null && vellumirFrames > hiddenFrames) first = {frames: vellumirFrames, now};
        if (first !== null && ++refreshes > 20) return resolve({...first, more: vellumirFrames - first.frames, ms: now - first.now});
        requestAnimationFrame(watch);
      };
      requestAnimationFrame(watch);
    });
  });
  await front.close();
  await page.bringToFront();
  const resumed = await page.evaluate('resumed');
  assert.equal(resumed.frames, hidden + 1);
  assert.ok(resumed.more <= resumed.ms / 30 + 2, `${resumed.more} frames in ${resumed.ms} ms`);
  await page.close();
});

test('with saver=1 a key, or the mouse moved more than 30 pixels, leaves full screen', async () => {
  const {page, errors} = await open('saver=1&rows=20');
  await page.waitForFunction('vellumirFrames >= 1');
  const enterFullScreen = async () => {
    await page.mouse.click(100, 100);
    await page.waitForFunction('document.fullscreenElement !== null');
    await page.mouse.move(100, 100);
  };
  await enterFullScreen();
  await page.keyboard.press('KeyA');
  await page.waitForFunction('document.fullscreenElement === null');

  await enterFullScreen();
  await page.mouse.move(130, 70);
  assert.ok(await page.evaluate('document.fullscreenElement !== null'), '30 pixels on each axis left full screen');
  await page.mouse.move(131, 100);
  await page.waitForFunction('document.fullscreenElement === null');
  assert.deepEqual(errors, []);
  await page.close();
});
