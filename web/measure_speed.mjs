// What a 1080p frame costs the browser: opens the page in Debian's headless Chromium at 1920 x 1080
// with 100 rows, a still picture of frame 0 so that nothing else runs, and times frames of each
// mode through the module's own entry point: the best of five rounds of 60, since a busy machine
// only ever adds time. Prints ms per frame.
//
//   node web/measure_speed.mjs [web build folder]
import {join, resolve} from 'node:path';
import puppeteer from 'puppeteer-core';

const web = resolve(process.argv[2] || 'build/web');
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true,
  args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox'],
});
try {
  const page = await browser.newPage();
  await page.setViewport({width: 1920, height: 1080, deviceScaleFactor: 1});
  for (const mode of [1, 2, 3, 4, 5]) {
    await page.goto(`file://${join(web, 'page/index.html')}?seed=1&rows=100&frame=0&mode=${mode}`);
    await page.waitForFunction('typeof Module._vellumir_rows === "function" && Module._vellumir_rows() === 100');
    const ms = await page.evaluate(() => {
      let best = Infinity;
      for (let round = 0; round < 6; ++round) {
        const start = performance.now();
        for (let frame = 0; frame < 60; ++frame) Module._vellumir_compute(1920, 1080);
        // The first round warms up.
        if (round > 0) best = Math.min(best, (performance.now() - start) / 60);
      }
      return best;
    });
    console.log(`mode ${mode}: ${ms.toFixed(2)} ms per 1080p frame`);
  }
} finally {
  await browser.close();
}
