// The README's picture of the browser editor:
//   node docs/web-screenshot.mjs PAGE_DIR OUT.png (with the browser tests' puppeteer-core)
// Opens PAGE_DIR/index.html?demo from file:// headless at 1440 × 860, steps to year 7,
// opens the overview and rests the mouse on a unit, so that its tooltip shows.
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

// The browser as the browser tests launch it, with their driver.
import { withBrowser } from '../tests/web/support.mjs';

const [pageArg, outArg] = process.argv.slice(2);
if (!pageArg || !outArg) {
  console.error('usage: node web-screenshot.mjs PAGE_DIR OUT.png');
  process.exit(2);
}
const index = path.join(path.resolve(pageArg), 'index.html');
if (!fs.existsSync(index)) {
  console.error(`${pageArg}: no index.html here (make web writes build/web/editor)`);
  process.exit(1);
}

await withBrowser(async (browser) => {
  const page = await browser.newPage();
  await page.setViewport({ width: 1440, height: 860 });
  await page.goto(pathToFileURL(index).href + '?demo');
  await page.waitForFunction(() => window.tirmagor && window.tirmagor.ready);
  await page.click('#SpinEdit1', { clickCount: 3 });
  await page.keyboard.type('7');
  await page.evaluate(() => window.tirmagor.idle());
  await page.evaluate(() => document.activeElement.blur());
  await page.keyboard.down('Control');
  await page.keyboard.press('KeyM');
  await page.keyboard.up('Control');
  // A unit of the first player of year 7, at (31, 10): its cell's middle in the window.
  const box = await page.$eval('#Form1', (canvas) => canvas.getBoundingClientRect().toJSON());
  await page.mouse.move(box.left + 2 + 20 * 31 + 30, box.top + 30 + 20 * 9 + 28);
  await new Promise((resolve) => setTimeout(resolve, 1200));
  await page.evaluate(() => window.tirmagor.idle());
  await page.screenshot({ path: path.resolve(outArg) });
});
