// Browser tests of the site that `tirmagor-tool publish` writes, run with `node --test`.
//
// Environment:
//   TIRMAGOR_TOOL         the tirmagor-tool binary (default: build/default/src/tool/tirmagor-tool)
//   TIRMAGOR_DEMO_WORLD   the demo world folder with Год0.tvk … (default: build/default/demo/world)
//   TIRMAGOR_BENCH_WORLD  the program that writes the 100-year world (its test is skipped without it)
//   CHROMIUM              the browser (default: /usr/bin/chromium); nothing is ever downloaded
//
// Every site is published afresh into a temporary folder. What the page should show is worked out
// from the turn and land files through the tool's own `turn`, `land`, `palette` and `diff`
// commands, never from the data files the page reads.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { CHROMIUM, launchBrowser, serve } from './support.mjs';

const repo = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const fromRepo = (p) => path.resolve(repo, p);
const TOOL = fromRepo(process.env.TIRMAGOR_TOOL || 'build/default/src/tool/tirmagor-tool');
const DEMO = fromRepo(process.env.TIRMAGOR_DEMO_WORLD || 'build/default/demo/world');
const BENCH = process.env.TIRMAGOR_BENCH_WORLD ? fromRepo(process.env.TIRMAGOR_BENCH_WORLD) : '';

// Where cells lie on the map picture (docs/formats.md, map.bmp): 20 × 20 pixels, cell (x, y)
// with its top left pixel at (20·x + 20, 20·(y − 1) + 18).
const CELL = 20;
const cellOrigin = (x, y) => ({ px: CELL * x + 20, py: CELL * (y - 1) + 18 });
const cellAt = (px, py) => ({ x: Math.floor((px - 20) / CELL), y: Math.floor((py - 18) / CELL) + 1 });
// The status bar's names of the four cell mine kinds (docs/formats.md, land file).
const MINE_NAMES = ['Серебряный рудник', 'Золотой рудник', 'Мифриловый рудник', 'Драконий рудник'];

let tmpRoot;
let browser;

before(async () => {
  assert.ok(fs.existsSync(TOOL), `no tirmagor-tool at ${TOOL}: build it or set TIRMAGOR_TOOL`);
  assert.ok(fs.existsSync(CHROMIUM), `no browser at ${CHROMIUM}: install chromium or set CHROMIUM`);
  tmpRoot = fs.mkdtempSync(path.join(os.tmpdir(), 'tirmagor-site-test-'));
  browser = await launchBrowser(path.join(tmpRoot, 'profile'));
});

after(async () => {
  if (browser) await browser.close();
  if (tmpRoot) fs.rmSync(tmpRoot, { recursive: true, force: true });
});

// --- the tool ---------------------------------------------------------------------------------

function tool(...args) {
  return execFileSync(TOOL, args, { encoding: 'utf8', maxBuffer: 1 << 28 });
}
const toolJson = (...args) => JSON.parse(tool(...args));

function turnFiles(folder) {
  return fs.readdirSync(folder).filter((f) => f.endsWith('.tvk')).map((f) => path.join(folder, f));
}

// The turns of a folder in order of their year, each with the tool's reading of it.
function readTurns(files) {
  return files.map((file) => ({ file, turn: toolJson('turn', file) }))
    .sort((a, b) => a.turn.year - b.turn.year);
}

function publish(world, files, site, ...extra) {
  const palette = path.join(world, 'palitr.pal');
  const paletteArgs = fs.existsSync(palette) ? ['--palette', palette] : [];
  tool('publish', '--dir', world, ...paletteArgs, ...extra, '-o', site, ...files);
  return site;
}

// The kind words as the turn files' legend line gives them: "г-гном,в-варвар,…", kind k the k-th.
function kindWords(turnFile) {
  const bytes = fs.readFileSync(turnFile);
  const end = bytes.indexOf(0x0d) >= 0 ? bytes.indexOf(0x0d) : bytes.indexOf(0x0a);
  const legend = new TextDecoder('windows-1251').decode(bytes.subarray(0, end));
  const words = legend.split(',').map((entry) => entry.slice(entry.indexOf('-') + 1));
  assert.equal(words.length, 19, `the legend line of ${turnFile} names 19 kinds`);
  return words;
}

function paletteColours(world) {
  const file = path.join(world, 'palitr.pal');
  return toolJson('palette', file).palette.map(([r, g, b]) => `rgb(${r}, ${g}, ${b})`);
}

// The tool's text diff as blocks of one player each: its header line and its lines, the group
// counts last. Players the tool lists without a change are left out, as the site leaves them.
function toolDiff(oldFile, newFile) {
  const lines = tool('diff', oldFile, newFile).split('\n').filter((l) => l !== '');
  const blocks = [];
  let total = '';
  for (const line of lines.slice(1)) {
    if (line.startsWith('Игрок ')) blocks.push({ head: line, lines: [] });
    else if (line.startsWith('Всего: ')) total = line;
    else blocks[blocks.length - 1].lines.push(line.trim());
  }
  for (const b of blocks) b.groups = b.lines.pop();
  return {
    heading: lines[0],
    total,
    players: blocks.filter((b) => b.lines.length > 0 || b.head.includes(' (был ')),
  };
}

// Every unit of a turn with the line the cell box gives it: "kind — Игрок n: name".
function unitLines(turn, words) {
  return turn.players.slice(0, turn.playerCount).flatMap((p, i) => p.units.map(([x, y, kind]) =>
    ({ cell: `${x}-${y}`, player: i + 1, text: `${words[kind - 1]} — Игрок ${i + 1}: ${p.name}` })));
}
const unitsOnCell = (turn, words, cell) => unitLines(turn, words).filter((u) => u.cell === cell).map((u) => u.text).sort();

// Steps to the year after the turn at `index` (or before it, for the last one); returns that turn.
async function stepAside(page, turns, index) {
  const next = turns[index + 1] || turns[index - 1];
  await step(page, next === turns[index + 1] ? 'ArrowRight' : 'ArrowLeft', next.turn.year);
  return next.turn;
}

// Windows-1251 for the files the tests write themselves.
function cp1251(text) {
  const bytes = [];
  for (const ch of text) {
    const c = ch.codePointAt(0);
    if (c < 0x80) bytes.push(c);
    else if (c >= 0x410 && c <= 0x44f) bytes.push(c - 0x410 + 0xc0);
    else if (c === 0x401) bytes.push(0xa8);
    else if (c === 0x451) bytes.push(0xb8);
    else throw new Error(`no Windows-1251 byte for ${ch}`);
  }
  return Buffer.from(bytes);
}

// --- the browser ------------------------------------------------------------------------------

// Opens a page and records its console errors, its uncaught errors and every request that leaves
// `root` (those are refused).
async function open(url, root, { width = 1400, height = 900 } = {}) {
  const page = await browser.newPage();
  await page.setViewport({ width, height });
  const report = { consoleErrors: [], pageErrors: [], outside: [] };
  page.on('console', (m) => { if (m.type() === 'error') report.consoleErrors.push(m.text()); });
  page.on('pageerror', (e) => report.pageErrors.push(String(e && e.message ? e.message : e)));
  await page.setRequestInterception(true);
  page.on('request', (req) => {
    const u = req.url();
    if (u.startsWith(root) || u.startsWith('data:')) req.continue();
    else { report.outside.push(u); req.abort(); }
  });
  await page.goto(url);
  return { page, report };
}

async function openSite(site, options) {
  const root = pathToFileURL(site).href + '/';
  return open(root + 'index.html', root, options);
}

// Waits until the page shows `year` in full: label, its decoded picture and its data.
async function waitYear(page, year) {
  await page.waitForFunction((y) => {
    const img = document.getElementById('map');
    const changes = document.getElementById('changes').textContent;
    return document.getElementById('year-label').textContent === `Год ${y}` && img &&
      img.dataset.year === String(y) && !img.hidden && img.complete && img.naturalWidth > 0 &&
      changes !== '' && changes !== 'Загрузка…';
  }, { timeout: 15000 }, year).catch(async (e) => {
    const seen = await page.evaluate(() => ({ label: document.getElementById('year-label').textContent,
      img: document.getElementById('map').dataset.year, message: document.getElementById('message').textContent }));
    throw new Error(`year ${year} not shown: ${JSON.stringify(seen)} (${e.message})`);
  });
}

const mapSrc = (page) => page.$eval('#map', (img) => img.getAttribute('src'));

// Steps with → from the first year to the turn at `index`.
async function goTo(page, turns, index) {
  await page.keyboard.press('Home');
  for (let i = 0; i < index; ++i) await page.keyboard.press('ArrowRight');
  await waitYear(page, turns[index].turn.year);
}

// The screen point of a picture pixel.
async function screenPoint(page, px, py) {
  return page.$eval('#map', (img, x, y) => {
    const r = img.getBoundingClientRect();
    return { x: r.left + x * r.width / img.naturalWidth, y: r.top + y * r.height / img.naturalHeight };
  }, px, py);
}

async function hoverCell(page, x, y) {
  const o = cellOrigin(x, y);
  const p = await screenPoint(page, o.px + CELL / 2, o.py + CELL / 2);
  await page.mouse.move(p.x, p.y);
  await page.waitForFunction((name) => {
    const first = document.querySelector('#cell-info .cell-name');
    return first && first.textContent === name;
  }, { timeout: 5000 }, `Клетка ${x}-${y}`);
}

async function cellInfo(page) {
  return page.$eval('#cell-info', (box) => ({
    lines: [...box.querySelectorAll(':scope > p')].map((p) => p.textContent),
    units: [...box.querySelectorAll('.units li')].map((li) => ({
      text: li.textContent, colour: getComputedStyle(li.querySelector('.swatch')).backgroundColor })),
  }));
}

// The cells outlined on the map, read back from where the outlines stand on the screen.
async function outlinedCells(page) {
  const boxes = await page.$$eval('#overlay rect.mark', (rects) => {
    const img = document.getElementById('map').getBoundingClientRect();
    const nat = document.getElementById('map');
    return rects.map((r) => {
      const b = r.getBoundingClientRect();
      return { px: (b.left + b.width / 2 - img.left) * nat.naturalWidth / img.width,
        py: (b.top + b.height / 2 - img.top) * nat.naturalHeight / img.height };
    });
  });
  return boxes.map((b) => { const c = cellAt(b.px, b.py); return `${c.x}-${c.y}`; }).sort();
}

async function mapBox(page) {
  return page.$eval('#map', (img) => {
    const r = img.getBoundingClientRect();
    return { left: r.left, top: r.top, width: r.width, height: r.height };
  });
}

const near = (a, b, tolerance, what) =>
  assert.ok(Math.abs(a - b) <= tolerance, `${what}: ${a} is not within ${tolerance} of ${b}`);

// Opens the site (or takes a page being opened), runs `body` on it and then checks that nothing
// went wrong there.
async function onSite(site, what, body, options) {
  return onPage(openSite(site, options), what, body);
}
async function onPage(opened, what, body) {
  const { page, report } = await opened;
  try {
    await body(page, report);
    assertClean(report, what);
  } finally {
    await page.close();
  }
}

async function step(page, key, year) {
  await page.keyboard.press(key);
  await waitYear(page, year);
}

const textOf = (page, selector) => page.$eval(selector, (e) => e.textContent);
const countOf = (page, selector) => page.$$eval(selector, (e) => e.length);

function assertClean(report, what) {
  assert.deepEqual(report.outside, [], `${what}: requests outside the site folder`);
  assert.deepEqual(report.pageErrors, [], `${what}: errors in the page`);
  assert.deepEqual(report.consoleErrors, [], `${what}: errors on the console`);
}

// --- the demo world ---------------------------------------------------------------------------

describe('the demo world, published', () => {
  let site;
  let turns;
  let land;
  let colours;
  let words;

  before(() => {
    const files = turnFiles(DEMO);
    assert.ok(files.length >= 3, `the demo world ${DEMO} has at least three turns`);
    site = publish(DEMO, files, path.join(tmpRoot, 'demo-site'));
    turns = readTurns(files);
    land = toolJson('land', path.join(DEMO, 'orv.dat'));
    colours = paletteColours(DEMO);
    words = kindWords(turns[0].file);
  });

  // A year in the middle of the epoch, with a year before it.
  const middle = () => Math.max(1, Math.floor(turns.length * 0.8));

  test('opens from a file and from a web server with no error and no request outside its folder', async () => {
    const first = turns[0].turn;
    const server = await serve({ '': site });
    const url = `http://127.0.0.1:${server.address().port}/`;
    try {
      for (const [how, opened] of [['file://', () => openSite(site)], ['http', () => open(url, url)]]) {
        await onPage(opened(), how, async (page) => {
          await waitYear(page, first.year);
          assert.equal(await mapSrc(page), `maps/${first.year}.png`, `${how}: the first year's picture`);
          assert.equal(await textOf(page, 'h1'), path.basename(DEMO), `${how}: the heading names the world`);
          assert.ok((await page.title()).includes(path.basename(DEMO)), `${how}: the title names the world`);
          assert.equal(await countOf(page, '#legend button.player'), first.playerCount, `${how}: one legend entry per player`);
          // A few years on, with their data and pictures loaded and their neighbours fetched ahead.
          for (let i = 1; i <= 2; ++i) await step(page, 'ArrowRight', turns[i].turn.year);
          await new Promise((resolve) => setTimeout(resolve, 300));
          assert.equal(await page.$eval('#message', (m) => m.hidden), true, `${how}: no error message`);
          const globals = await page.evaluate(() => Object.keys(window).filter((k) => /^tirmagor/i.test(k)));
          assert.deepEqual(globals, ['Tirmagor'], `${how}: the page's one global`);
        });
      }
    } finally {
      server.close();
    }
  });

  test('← → Home End and the buttons step one year at a time and swap the picture', async () => {
    await onSite(site, 'stepping', async (page) => {
      const years = turns.map((t) => t.turn.year);
      const last = years.length - 1;
      await waitYear(page, years[0]);
      const key = (k) => () => page.keyboard.press(k);
      for (const [how, act, index] of [['→', key('ArrowRight'), 1], ['→ again', key('ArrowRight'), 2],
        ['←', key('ArrowLeft'), 1],
        // The slider moves on arrows by itself too: one press there must still be one year.
        ['→ on the slider', async () => { await page.focus('#year'); await key('ArrowRight')(); }, 2],
        ['← on the slider', key('ArrowLeft'), 1], ['End', key('End'), last], ['→ on the last year', key('ArrowRight'), last],
        ['Home', key('Home'), 0], ['← on the first year', key('ArrowLeft'), 0],
        ['the next year button', () => page.click('#next'), 1], ['the previous year button', () => page.click('#prev'), 0]]) {
        await act();
        await waitYear(page, years[index]);  // the label, and that year's picture decoded and shown
        assert.equal(await mapSrc(page), `maps/${years[index]}.png`, `${how}: the picture`);
        assert.equal(await page.$eval('#year', (r) => r.getAttribute('aria-valuetext')), `Год ${years[index]}`, `${how}: the slider`);
      }
    });
  });

  test('the cell under the mouse: place, land, income, cell mine and every unit with owner and kind', async () => {
    const index = middle();
    const turn = turns[index].turn;
    const units = new Map();
    for (const u of unitLines(turn, words)) units.set(u.cell, [...(units.get(u.cell) || []), { ...u, colour: colours[u.player - 1] }]);
    const landOf = (x, y) => land.lands.find((l) => l.index === land.land[y - 1][x - 1]);
    // The cell holding the most units, and a cell mine with a named land and no unit on it.
    const crowded = [...units.entries()].sort((a, b) => b[1].length - a[1].length)[0];
    let mineCell = null;
    for (let y = 1; y <= land.mine.length && !mineCell; ++y) {
      for (let x = 1; x <= land.mine[y - 1].length && !mineCell; ++x) {
        if (land.mine[y - 1][x - 1] && landOf(x, y) && landOf(x, y).name && !units.has(`${x}-${y}`)) mineCell = { x, y };
      }
    }
    assert.ok(crowded && mineCell, 'the demo year has a cell with units and an empty cell mine');

    await onSite(site, 'hovering', async (page) => {
      await goTo(page, turns, index);
      const expectLines = (x, y) => {
        const l = landOf(x, y);
        const mine = land.mine[y - 1][x - 1];
        return [`Клетка ${x}-${y}`, l.name, `доход ${l.income} монет`, ...(mine ? [MINE_NAMES[mine - 1]] : [])];
      };

      const [cx, cy] = crowded[0].split('-').map(Number);
      await hoverCell(page, cx, cy);
      let info = await cellInfo(page);
      assert.deepEqual(info.lines, expectLines(cx, cy), `what cell ${crowded[0]} tells`);
      assert.deepEqual(info.units.map((u) => u.text).sort(), crowded[1].map((u) => u.text).sort(),
        `the units on ${crowded[0]}`);
      for (const u of info.units) {
        assert.equal(u.colour, crowded[1].find((e) => e.text === u.text).colour, `the owner's colour of ${u.text}`);
      }
      // The outline stands around the cell under the mouse.
      const outline = await page.$eval('#overlay .hover-line', (r) => {
        const b = r.getBoundingClientRect();
        return { x: b.left + b.width / 2, y: b.top + b.height / 2, w: b.width };
      });
      const o = cellOrigin(cx, cy);
      const centre = await screenPoint(page, o.px + CELL / 2, o.py + CELL / 2);
      const scale = (await mapBox(page)).width / (await page.$eval('#map', (i) => i.naturalWidth));
      near(outline.x, centre.x, 1.5, 'outline centre x');
      near(outline.y, centre.y, 1.5, 'outline centre y');
      near(outline.w, CELL * scale, 4, 'outline width');

      await hoverCell(page, mineCell.x, mineCell.y);
      info = await cellInfo(page);
      assert.deepEqual(info.lines.slice(0, -1), expectLines(mineCell.x, mineCell.y), 'what a cell mine tells');
      assert.equal(info.units.length, 0, 'no unit on the cell mine');

      // The next year tells the next year's units on the same cell.
      const next = await stepAside(page, turns, index);
      await hoverCell(page, cx, cy);
      info = await cellInfo(page);
      assert.deepEqual(info.units.map((u) => u.text).sort(), unitsOnCell(next, words, crowded[0]), 'the units a year on');
    });
  });

  test('a player picked in the legend has each unit outlined, across years, until picked again or Escape', async () => {
    const index = middle();
    const turn = turns[index].turn;
    // The player with the most units, so that the outlines are many.
    let player = 1;
    turn.players.slice(0, turn.playerCount).forEach((p, i) => {
      if (p.units.length > turn.players[player - 1].units.length) player = i + 1;
    });
    const cellsOf = (t) => (t.players[player - 1] ? t.players[player - 1].units : [])
      .map(([x, y]) => `${x}-${y}`).sort();
    const button = `#legend button.player[data-player="${player}"]`;
    await onSite(site, 'the legend', async (page) => {
      const pressed = () => page.$eval(button, (b) => b.getAttribute('aria-pressed'));
      const marks = () => countOf(page, '#overlay rect.mark');
      await goTo(page, turns, index);
      assert.equal(await marks(), 0, 'no outline before a click');
      assert.equal(await pressed(), 'false');
      const entry = await page.$eval(button, (b) => b.textContent);
      assert.ok(entry.includes(`${player}. ${turn.players[player - 1].name}`), `the legend entry names the player: ${entry}`);
      assert.ok(entry.endsWith(String(turn.players[player - 1].units.length)), `the legend entry counts the units: ${entry}`);
      const swatch = await page.$eval(`${button} .swatch`, (s) => getComputedStyle(s).backgroundColor);
      assert.equal(swatch, colours[player - 1], 'the legend swatch has the palette colour');

      await page.click(button);
      assert.equal(await pressed(), 'true', 'pressed');
      assert.ok(await page.$eval(button, (b) => b.classList.contains('selected')), 'shown as selected');
      assert.deepEqual(await outlinedCells(page), cellsOf(turn), 'one outline on each unit of the player');
      assert.equal(await countOf(page, '#legend button[aria-pressed="true"]'), 1, 'only one player picked');
      // Its line in the chart is the boldest.
      const widths = await page.$$eval('#chart .series-line', (gs) => gs.map((g) =>
        [g.dataset.player, parseFloat(getComputedStyle(g.querySelector('.line')).strokeWidth)]));
      const mine = widths.find(([p]) => p === String(player))[1];
      assert.ok(widths.every(([p, w]) => p === String(player) || w < mine), 'the picked line is drawn bolder');

      // The outlines follow the year.
      const next = await stepAside(page, turns, index);
      assert.deepEqual(await outlinedCells(page), cellsOf(next), 'the outlines of the next year');
      assert.equal(await pressed(), 'true', 'still picked a year on');

      await page.click(button);
      assert.equal(await pressed(), 'false', 'a second click clears');
      assert.equal(await marks(), 0, 'no outline after the second click');

      await page.click(button);
      assert.equal(await marks(), cellsOf(next).length);
      await page.keyboard.press('Escape');
      assert.equal(await pressed(), 'false', 'Escape clears');
      assert.equal(await marks(), 0, 'no outline after Escape');
    });
  });

  test('the wheel, + − = and the buttons zoom; dragging pans; both last through a change of year', async () => {
    await onSite(site, 'zooming', async (page) => {
      await waitYear(page, turns[0].turn.year);
      const vp = await page.$eval('#viewport', (v) => {
        const r = v.getBoundingClientRect();
        return { x: r.left, y: r.top, w: r.width, h: r.height };
      });
      const start = await mapBox(page);
      assert.ok(start.width <= vp.w + 1 && start.height <= vp.h + 1, 'the whole map in view at first');

      // The wheel zooms around the cursor: the picture pixel under it stays under it.
      const at = { x: vp.x + vp.w * 0.3, y: vp.y + vp.h * 0.4 };
      const pixelUnder = (b) => ({ px: (at.x - b.left) / b.width, py: (at.y - b.top) / b.height });
      const before = pixelUnder(start);
      await page.mouse.move(at.x, at.y);
      await page.mouse.wheel({ deltaY: -300 });
      const wheeled = await mapBox(page);
      assert.ok(wheeled.width > start.width * 1.3, `the wheel zooms in: ${start.width} → ${wheeled.width}`);
      const afterWheel = pixelUnder(wheeled);
      near(afterWheel.px * wheeled.width, before.px * wheeled.width, 2, 'the pixel under the cursor (x)');
      near(afterWheel.py * wheeled.height, before.py * wheeled.height, 2, 'the pixel under the cursor (y)');
      await page.mouse.wheel({ deltaY: 300 });
      near((await mapBox(page)).width, start.width, 1, 'the wheel back zooms out again');

      const grows = async (act, what, factor) => {
        const a = (await mapBox(page)).width;
        await act();
        const b = (await mapBox(page)).width;
        assert.ok(factor > 1 ? b > a * 1.1 : b < a / 1.1, `${what}: ${a} → ${b}`);
      };
      const key = (k) => () => page.keyboard.press(k);
      const click = (b) => () => page.click(b);
      for (const [what, act, factor] of [['=', key('Equal'), 2], ['+ on the number pad', key('NumpadAdd'), 2],
        ['−', key('Minus'), 0.5], ['the + button', click('#zoom-in'), 2], ['the + button again', click('#zoom-in'), 2],
        ['the − button', click('#zoom-out'), 0.5], ['− on the number pad', key('NumpadSubtract'), 0.5],
        ['+', () => page.keyboard.type('+'), 2]]) await grows(act, what, factor);
      const scaled = await page.$eval('#stage', (s) => getComputedStyle(s).transform);
      assert.match(scaled, /^matrix\(/, 'the map is drawn transformed');

      // Drag the map by (−120, −80) from the middle of the view.
      const zoomed = await mapBox(page);
      const from = { x: vp.x + vp.w / 2, y: vp.y + vp.h / 2 };
      await page.mouse.move(from.x, from.y);
      await page.mouse.down();
      await page.mouse.move(from.x - 60, from.y - 40, { steps: 3 });
      await page.mouse.move(from.x - 120, from.y - 80, { steps: 3 });
      await page.mouse.up();
      const dragged = await mapBox(page);
      near(dragged.left - zoomed.left, -120, 1, 'dragged left');
      near(dragged.top - zoomed.top, -80, 1, 'dragged up');
      near(dragged.width, zoomed.width, 0.5, 'dragging keeps the zoom');

      await step(page, 'ArrowRight', turns[1].turn.year);
      const nextYear = await mapBox(page);
      assert.deepEqual(nextYear, dragged, 'zoom and place are kept when the year changes');

      // Past one screen pixel per picture pixel the cells stay sharp squares.
      const rendering = () => page.$eval('#map', (i) => getComputedStyle(i).imageRendering);
      const natural = await page.$eval('#map', (i) => i.naturalWidth);
      for (let i = 0; i < 12 && (await mapBox(page)).width <= natural * 1.2; ++i) await page.click('#zoom-in');
      assert.ok((await mapBox(page)).width > natural * 1.2, 'the + button zooms past the picture size');
      assert.equal(await rendering(), 'pixelated', 'zoomed in, the picture is drawn pixelated');

      await page.click('#zoom-fit');
      near((await mapBox(page)).width, start.width, 1, '"Вся карта" shows the whole map again');
      assert.notEqual(await rendering(), 'pixelated', 'the whole map is drawn smoothly');
    });
  });

  test('the changes panel says what `tirmagor-tool diff` says about the year before', async () => {
    const index = middle();
    const expected = toolDiff(turns[index - 1].file, turns[index].file);
    assert.ok(expected.players.some((p) => p.lines.some((l) => l.includes(' → '))), 'the demo year has a move');
    await onSite(site, 'the changes', async (page) => {
      await waitYear(page, turns[0].turn.year);
      assert.equal(await page.$eval('#changes', (c) => c.textContent.trim()),
        'Первый год эпохи — сравнивать не с чем.', 'the first year');

      await goTo(page, turns, index);
      assert.equal(await textOf(page, '#changes .diff-title'), expected.heading);
      assert.equal(await textOf(page, '#changes .diff-total'), expected.total);
      const closed = await page.$$('#changes details.diff-player:not([open]) > summary');
      for (const summary of closed) await summary.click();
      const shownPlayers = await page.$$eval('#changes details.diff-player', (ds) => ds.map((d) => ({
        head: d.querySelector('.diff-name').textContent + (d.querySelector('.was') ? d.querySelector('.was').textContent : ''),
        groups: d.querySelector('.groups').textContent,
        lines: [...d.querySelectorAll('.diff-lines li')].map((li) => li.textContent),
        open: d.open,
      })));
      assert.ok(shownPlayers.every((p) => p.open), 'every player opens');
      assert.deepEqual(shownPlayers.map(({ head, groups, lines }) => ({ head, groups, lines })),
        expected.players.map(({ head, groups, lines }) => ({ head, groups, lines })));
    });
  });

  test('the chart marks the current year and a click on it picks the nearest year', async () => {
    const years = turns.map((t) => t.turn.year);
    await onSite(site, 'the chart', async (page) => {
      await waitYear(page, years[0]);
      const marker = () => page.$eval('#chart .marker', (m) => m.getBoundingClientRect().left);
      const players = new Set(turns.flatMap((t) => t.turn.players.slice(0, t.turn.playerCount).map((_, i) => i + 1)));
      assert.equal(await countOf(page, '#chart .series-line'), players.size, 'one line per player');

      const x0 = await marker();
      await step(page, 'ArrowRight', years[1]);
      const x1 = await marker();
      await step(page, 'End', years[years.length - 1]);
      const xN = await marker();
      assert.ok(x0 < x1 && x1 < xN, `the marker moves right with the years: ${x0}, ${x1}, ${xN}`);
      const xOf = (y) => x0 + (xN - x0) * (y - years[0]) / (years[years.length - 1] - years[0]);
      near(x1, xOf(years[1]), 1.5, 'the marker of the second year');

      const k = Math.floor(years.length / 3);
      const chart = await page.$eval('#chart svg', (s) => {
        const r = s.getBoundingClientRect();
        return { top: r.top, height: r.height };
      });
      await page.mouse.click(xOf(years[k]) + 2, chart.top + chart.height / 2);
      await waitYear(page, years[k]);
      near(await marker(), xOf(years[k]), 1.5, 'the marker of the clicked year');
    });
  });

  test('the page itself stays small', () => {
    const sizes = ['index.html', 'site.js', 'site.css'].map((f) => fs.statSync(path.join(site, f)).size);
    const total = sizes.reduce((a, b) => a + b, 0);
    console.log(`page size: ${total} bytes (index.html ${sizes[0]}, site.js ${sizes[1]}, site.css ${sizes[2]})`);
    assert.ok(total < 100 * 1024, `index.html + site.js + site.css = ${total} bytes`);
    assert.ok(!fs.readFileSync(path.join(site, 'index.html'), 'utf8').includes('@TITLE@'), 'the title is filled in');
  });
});

// --- a world written here for the edge cases --------------------------------------------------

describe('a small world with unnamed land, names that look like markup and a quiet year', () => {
  let world;
  let site;
  let turns;
  let land;
  let words;
  const title = '<b>Эпоха</b> & "мир"';

  before(() => {
    world = path.join(tmpRoot, 'edge-world');
    fs.mkdirSync(world);
    for (const f of ['map.bmp', 'osnova.bmp', 'rudnici.bmp', 'palitr.pal']) {
      fs.copyFileSync(path.join(DEMO, f), path.join(world, f));
    }
    // Three rows of lands (the rest of the map has none), land Q without a name, three cell mines.
    const crlf = (lines) => Buffer.concat(lines.map((l) => Buffer.concat([cp1251(l), Buffer.from('\r\n')])));
    fs.writeFileSync(path.join(world, 'orv.dat'), crlf([
      'Земли пробного мира', 'для проверки страницы', '3', 'Карта',
      '~~AAAABB~~Q', '~AAAABBBB~', '~~AABBB~~~',
      'С 4 2,', 'З 7 2,', 'М 6 3,', 'Д',
      'Земли',
      'A', '<i>Марка</i> & Ко', '12',
      'B', 'Красногорье', '9',
      '~', 'Северное море', '0',
    ]));
    const legend = fs.readFileSync(turnFiles(DEMO)[0]);
    const legendLine = legend.subarray(0, legend.indexOf(0x0d));
    const turn = (year, first, knightX) => Buffer.concat([legendLine, Buffer.from('\r\n'), crlf([
      String(year), 'Player',
      first, '1 18', `р ${knightX} 2,`, 'Г 5 3,', 'S 20 40,', 'Player',
      'Ведана', '2 3', 'д 4 2,', 'З 11 1,', 'END',
    ])]);
    fs.writeFileSync(path.join(world, 'Год5.tvk'), turn(5, 'Ольгерд Смелый', 4));
    fs.writeFileSync(path.join(world, 'Год6.tvk'), turn(6, '<b>Ольгерд</b>', 6));
    fs.writeFileSync(path.join(world, 'Год7.tvk'), turn(7, '<b>Ольгерд</b>', 6));
    const files = turnFiles(world);
    site = publish(world, files, path.join(tmpRoot, 'edge-site'), '--title', title);
    turns = readTurns(files);
    land = toolJson('land', path.join(world, 'orv.dat'));
    words = kindWords(turns[0].file);
  });

  test('titles and names are shown as the text they are', async () => {
    await onSite(site, 'names', async (page) => {
      await waitYear(page, 5);
      assert.equal(await textOf(page, 'h1'), title, 'the heading');
      assert.ok((await page.title()).includes(title), 'the window title');
      await step(page, 'ArrowRight', 6);
      const name = turns[1].turn.players[0].name;
      assert.equal(name, '<b>Ольгерд</b>', 'the tool reads the renamed player');
      const entry = await textOf(page, '#legend button.player[data-player="1"] .pname');
      assert.equal(entry, `1. ${name}`);
      await hoverCell(page, 6, 2);
      assert.ok((await cellInfo(page)).units.some((u) => u.text.endsWith(`Игрок 1: ${name}`)), 'the cell names the player');
      assert.equal(await countOf(page, 'body b, body i'), 0, 'no markup made from a name');
    });
  });

  test('cells without land, of a land without a name, with a mine and with two players', async () => {
    await onSite(site, 'cells', async (page) => {
      await waitYear(page, 5);
      const turn = turns[0].turn;
      const a = land.lands.find((l) => l.index === land.land[1][3]);
      assert.equal(a.name, '<i>Марка</i> & Ко', 'the tool reads the land of cell 4-2');
      await hoverCell(page, 4, 2);
      let info = await cellInfo(page);
      assert.deepEqual(info.lines, ['Клетка 4-2', a.name, `доход ${a.income} монет`, MINE_NAMES[land.mine[1][3] - 1]]);
      const onCell = unitsOnCell(turn, words, '4-2');
      assert.equal(onCell.length, 2, 'two players stand on 4-2');
      assert.deepEqual(info.units.map((u) => u.text).sort(), onCell);

      // Land Q has cells but no name; below row 3 there is no land at all.
      assert.ok(!land.lands.some((l) => l.index === land.land[0][10] && l.name), 'cell 11-1 has a land without a name');
      await hoverCell(page, 11, 1);
      info = await cellInfo(page);
      assert.equal(info.lines[0], 'Клетка 11-1');
      assert.match(info.lines[1], /без названия/, 'the land without a name says so');
      assert.ok(!info.lines.some((l) => l.startsWith('доход')), 'no income for a land without a block');
      assert.equal(info.units.length, 1, 'the castle on 11-1');

      assert.equal(land.land[39][19], 0, 'cell 20-40 has no land');
      await hoverCell(page, 20, 40);
      info = await cellInfo(page);
      assert.equal(info.lines[0], 'Клетка 20-40');
      assert.match(info.lines[1], /земли нет/i, 'a cell without land says so');
      assert.ok(!info.lines.some((l) => l.startsWith('доход') || l.endsWith('рудник')), 'nothing more about it');
      assert.deepEqual(info.units.map((u) => u.text), [`${words[16]} — Игрок 1: ${turn.players[0].name}`]);
    });
  });

  test('a renamed player and a year without changes', async () => {
    const renamed = toolDiff(turns[0].file, turns[1].file);
    const quiet = toolDiff(turns[1].file, turns[2].file);
    assert.equal(quiet.players.length, 0, 'the tool sees no change from year 6 to 7');
    await onSite(site, 'changes', async (page) => {
      await waitYear(page, 5);
      await step(page, 'ArrowRight', 6);
      const heads = await page.$$eval('#changes details.diff-player', (ds) => ds.map((d) =>
        d.querySelector('.diff-name').textContent + (d.querySelector('.was') ? d.querySelector('.was').textContent : '')));
      assert.deepEqual(heads, renamed.players.map((p) => p.head));
      assert.ok(heads[0].endsWith(' (был Ольгерд Смелый)'), heads[0]);
      const lines = await page.$$eval('#changes details.diff-player[data-player="1"] .diff-lines li', (l) => l.map((e) => e.textContent));
      assert.deepEqual(lines, renamed.players[0].lines);
      await step(page, 'ArrowRight', 7);
      assert.equal(await textOf(page, '#changes .diff-title'), quiet.heading);
      assert.deepEqual(await page.$$eval('#changes p.hint', (p) => p.map((e) => e.textContent)), ['Изменений нет.']);
    });
  });

  test('a missing picture or data file shows a message, never a blank page', async () => {
    const broken = path.join(tmpRoot, 'edge-broken');
    fs.cpSync(site, broken, { recursive: true });
    fs.rmSync(path.join(broken, 'maps', '6.png'));
    fs.rmSync(path.join(broken, 'data', '7.js'));
    let { page, report } = await openSite(broken);
    try {
      await waitYear(page, 5);
      await page.keyboard.press('ArrowRight');
      await page.waitForFunction(() => !document.getElementById('map-status').hidden &&
        document.getElementById('map-status').textContent.includes('maps/6.png'), { timeout: 5000 });
      assert.match(await textOf(page, '#map-status'), /^Не удалось загрузить карту года 6/);
      assert.equal(await page.$eval('#map', (i) => i.hidden), true, 'no stale picture under another year');
      await page.keyboard.press('ArrowRight');
      await page.waitForFunction(() => !document.getElementById('message').hidden, { timeout: 5000 });
      assert.match(await textOf(page, '#message'), /data\/7\.js/);
      assert.equal(await textOf(page, '#year-label'), 'Год 7');
      await step(page, 'Home', 5);
      assert.equal(await page.$eval('#message', (m) => m.hidden), true, 'the message goes with a good year');
      assert.deepEqual(report.pageErrors, [], 'no script error');
      assert.deepEqual(report.outside, []);
    } finally {
      await page.close();
    }

    fs.rmSync(path.join(broken, 'data', 'epoch.js'));
    ({ page, report } = await openSite(broken));
    try {
      await page.waitForFunction(() => !document.getElementById('message').hidden, { timeout: 5000 });
      assert.match(await textOf(page, '#message'), /data\/epoch\.js/);
      assert.deepEqual(report.pageErrors, [], 'no script error');
    } finally {
      await page.close();
    }
  });
});

// --- a long epoch -----------------------------------------------------------------------------

describe('a 100-year epoch of 27 full players', {
  skip: BENCH ? false : 'TIRMAGOR_BENCH_WORLD is not set: no program to write the 100-year world',
}, () => {
  let site;
  let turns;

  before(() => {
    const dir = path.join(tmpRoot, 'bench');
    fs.mkdirSync(dir);
    execFileSync(BENCH, [dir], { stdio: 'ignore' });
    const files = turnFiles(path.join(dir, 'epoch'));
    const t0 = Date.now();
    site = publish(path.join(dir, 'world'), files, path.join(dir, 'site'));
    console.log(`publish: ${files.length} years in ${Date.now() - t0} ms`);
    turns = readTurns(files);
  });

  test('opens quickly and steps through the years', async () => {
    await onSite(site, 'the long epoch', async (page) => {
      const first = turns[0].turn.year;
      await page.waitForFunction(() => {
        const img = document.getElementById('map');
        return img && !img.hidden && img.complete && img.naturalWidth > 0;
      }, { polling: 'raf', timeout: 20000 });
      const mapShown = await page.evaluate(() => performance.now());
      await waitYear(page, first);
      const paint = await page.evaluate(() => {
        const e = performance.getEntriesByName('first-contentful-paint')[0];
        return e ? e.startTime : NaN;
      });
      console.log(`first paint: ${Math.round(paint)} ms, map shown: ${Math.round(mapShown)} ms`);
      assert.ok(paint > 0, 'the browser reports a first paint');
      // The page's budget; the browser is the same in the sanitizer run, only the tool differs.
      assert.ok(paint < 1000, `first paint after ${Math.round(paint)} ms, over the budget of 1 s`);

      for (let i = 1; i <= 3; ++i) {
        const t0 = Date.now();
        await step(page, 'ArrowRight', turns[i].turn.year);
        const turn = turns[i].turn;
        const totals = await page.$$eval('#legend .ptotal', (t) => t.map((e) => Number(e.textContent)));
        assert.deepEqual(totals, turn.players.slice(0, turn.playerCount).map((p) => p.units.length), `the legend of year ${turn.year}`);
        console.log(`step to year ${turn.year}: ${Date.now() - t0} ms`);
      }
      // Thousands of moves: the counts are shown at once, the lines when a player is opened.
      const diff = toolJson('diff', turns[2].file, turns[3].file, '--json');
      const busiest = diff.players.map((p) => ({ p: p.player, n: p.moved.length + p.added.length + p.removed.length }))
        .sort((a, b) => b.n - a.n)[0];
      const details = `#changes details.diff-player[data-player="${busiest.p}"]`;
      assert.match(await textOf(page, `${details} .count`), new RegExp(`^${busiest.n} `));
      if (!(await page.$eval(details, (d) => d.open))) await page.click(`${details} > summary`);
      assert.equal(await countOf(page, `${details} .diff-lines li`), busiest.n);

      await step(page, 'End', turns[turns.length - 1].turn.year);
    }, { width: 1600, height: 1000 });
  });
});
