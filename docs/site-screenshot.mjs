// The README's picture of a published site:
//   node docs/site-screenshot.mjs SITE_DIR OUT.png (with the browser tests' puppeteer-core)
// Opens SITE_DIR/index.html headless at 1600 × 1000 on the last year, highlights the player with
// the most units, zooms in on one of them and rests the mouse on it.
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

// The browser as the browser tests launch it, with their driver.
import { withBrowser } from '../tests/web/support.mjs';

const [siteArg, outArg] = process.argv.slice(2);
if (!siteArg || !outArg) {
  console.error('usage: node site-screenshot.mjs SITE_DIR OUT.png');
  process.exit(2);
}
const site = path.resolve(siteArg);
const out = path.resolve(outArg);
if (!fs.existsSync(path.join(site, 'index.html'))) {
  console.error(`${site}: no index.html here`);
  process.exit(1);
}

await withBrowser(async (browser) => {
  const page = await browser.newPage();
  await page.setViewport({ width: 1600, height: 1000 });
  const problems = [];
  page.on('pageerror', (e) => problems.push(e.message));
  page.on('console', (m) => { if (m.type() === 'error') problems.push(m.text()); });
  await page.goto(pathToFileURL(path.join(site, 'index.html')).href);
  await page.waitForSelector('#map[data-year]:not([hidden])', { timeout: 20000 });

  await page.keyboard.press('End');
  await page.waitForFunction(() => {
    const label = document.getElementById('year-label').textContent;
    const img = document.getElementById('map');
    return label === `Год ${img.dataset.year}` && img.naturalWidth > 0 && !img.hidden;
  });

  // The player with the most units this year.
  const player = await page.$$eval('#legend button.player', (buttons) => {
    let best = buttons[0];
    for (const b of buttons) {
      if (Number(b.querySelector('.ptotal').textContent) > Number(best.querySelector('.ptotal').textContent)) best = b;
    }
    return best ? best.dataset.player : null;
  });
  if (!player) throw new Error('the legend lists no player');
  await page.click(`#legend button.player[data-player="${player}"]`);
  await page.waitForSelector('#overlay rect.mark');

  const centre = async () => page.$eval('#overlay rect.mark', (r) => {
    const b = r.getBoundingClientRect();
    return { x: b.left + b.width / 2, y: b.top + b.height / 2 };
  });
  let at = await centre();
  await page.mouse.move(at.x, at.y);
  for (let i = 0; i < 4; ++i) await page.mouse.wheel({ deltaY: -120 });
  at = await centre();
  await page.mouse.move(at.x, at.y);
  await page.waitForSelector('#cell-info .units li');
  // Let the chart and panels settle before the picture.
  await new Promise((resolve) => setTimeout(resolve, 300));
  await page.screenshot({ path: out });
  if (problems.length) console.error(`the page reported: ${problems.join('; ')}`);
  console.log(`wrote ${out}`);
});
