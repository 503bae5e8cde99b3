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
const cellAt = (px, py) => `${Math.floor((px - 20) / CELL)}-${Math.floor((py - 18) / CELL) + 1}`;
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

const tool = (...args) => execFileSync(TOOL, args, { encoding: 'utf8', maxBuffer: 1 << 28 });
const toolJson = (...args) => JSON.parse(tool(...args));
const turnFiles = (folder) => fs.readdirSync(folder).filter((f) => f.endsWith('.tvk')).map((f) => path.join(folder, f));

// The turns of a folder in order of their year, each with the tool's reading of it.
const readTurns = (files) => files.map((file) => ({ file, turn: toolJson('turn', file) }))
  .sort((a, b) => a.turn.year - b.turn.year);

// Publishes `files`, the turns of `world`, into `site`; reads back the turns, the land and the kind words.
function publishWorld(world, files, site, ...extra) {
  const palette = path.join(world, 'palitr.pal');
  tool('publish', '--dir', world, ...(fs.existsSync(palette) ? ['--palette', palette] : []), ...extra, '-o', site, ...files);
  const turns = readTurns(files);
  return { site, turns, land: toolJson('land', path.join(world, 'orv.dat')), words: kindWords(turns[0].file) };
}

// The kind words as the turn files' legend line gives them: "г-гном,в-варвар,…", kind k the k-th.
function kindWords(turnFile) {
  const legend = new TextDecoder('windows-1251').decode(fs.readFileSync(turnFile)).split(/\r?\n/)[0];
  const words = legend.split(',').map((entry) => entry.slice(entry.indexOf('-') + 1));
  assert.equal(words.length, 19, `the legend line of ${turnFile} names 19 kinds`);
  return words;
}

// The tool's text diff as blocks of one player each: its header line and its lines, the group
// counts last. Players the tool lists without a change are left out, as the site leaves them.
function toolDiff(oldFile, newFile) {
  const [heading, ...lines] = tool('diff', oldFile, newFile).split('\n').filter((l) => l !== '');
  const blocks = [];
  for (const line of lines) {
    if (line.startsWith('Игрок ')) blocks.push({ head: line, lines: [] });
    else if (!line.startsWith('Всего: ')) blocks[blocks.length - 1].lines.push(line.trim());
  }
  for (const b of blocks) b.groups = b.lines.pop();
  const players = blocks.filter((b) => b.lines.length > 0 || b.head.includes(' (был '));
  return { heading, total: lines.find((l) => l.startsWith('Всего: ')), players };
}

// Every unit of a turn with the line the cell box gives it: "kind — Игрок n: name".
function unitLines(turn, words) {
  return turn.players.slice(0, turn.playerCount).flatMap((p, i) => p.units.map(([x, y, kind]) =>
    ({ cell: `${x}-${y}`, player: i + 1, text: `${words[kind - 1]} — Игрок ${i + 1}: ${p.name}` })));
}
const unitsOnCell = (turn, words, cell) => unitLines(turn, words).filter((u) => u.cell === cell).map((u) => u.text).sort();

// Windows-1251 for the files the tests write themselves: ASCII and the Russian letters.
function cp1251(text) {
  return Buffer.from([...text].map((ch) => {
    const c = ch.codePointAt(0);
    const b = c < 0x80 ? c : c >= 0x410 && c <= 0x44f ? c - 0x410 + 0xc0 : { 0x401: 0xa8, 0x451: 0xb8 }[c];
    if (b === undefined) throw new Error(`no Windows-1251 byte for ${ch}`);
    return b;
  }));
}
const crlf = (lines) => cp1251(lines.map((l) => `${l}\r\n`).join(''));

// --- the browser ------------------------------------------------------------------------------

// Opens `url`, runs `body` on the page and then checks that nothing went wrong there: no uncaught
// error, no request that leaves `root` (those are refused) and, unless `quiet` is false, no
// console error.
async function onPage(url, root, what, body, { width = 1400, height = 900, quiet = true } = {}) {
  const page = await browser.newPage();
  try {
    await page.setViewport({ width, height });
    const report = { consoleErrors: [], pageErrors: [], outside: [] };
    page.on('console', (m) => { if (m.type() === 'error') report.consoleErrors.push(m.text()); });
    page.on('pageerror', (e) => report.pageErrors.push(String(e && e.message ? e.message : e)));
    await page.setRequestInterception(true);
    page.on('request', (req) => {
      if (req.url().startsWith(root) || req.url().startsWith('data:')) req.continue();
      else { report.outside.push(req.url()); req.abort(); }
    });
    await page.goto(url);
    await body(page);
    assert.deepEqual(report.outside, [], `${what}: requests outside the site folder`);
    assert.deepEqual(report.pageErrors, [], `${what}: errors in the page`);
    if (quiet) assert.deepEqual(report.consoleErrors, [], `${what}: errors on the console`);
  } finally {
    await page.close();
  }
}

function onSite(site, what, body, options) {
  const root = pathToFileURL(site).href + '/';
  return onPage(root + 'index.html', root, what, body, options);
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

const step = async (page, key, year) => { await page.keyboard.press(key); await waitYear(page, year); };

// Steps with → from the first year to the turn at `index`.
async function goTo(page, turns, index) {
  await page.keyboard.press('Home');
  for (let i = 0; i < index; ++i) await page.keyboard.press('ArrowRight');
  await waitYear(page, turns[index].turn.year);
}

// Steps to the year after the turn at `index` (or before it, for the last one); returns that turn.
async function stepAside(page, turns, index) {
  const next = turns[index + 1] || turns[index - 1];
  await step(page, next === turns[index + 1] ? 'ArrowRight' : 'ArrowLeft', next.turn.year);
  return next.turn;
}

const textOf = (page, selector) => page.$eval(selector, (e) => e.textContent);
const countOf = (page, selector) => page.$$eval(selector, (e) => e.length);
const near = (a, b, tolerance, what) =>
  assert.ok(Math.abs(a - b) <= tolerance, `${what}: ${a} is not within ${tolerance} of ${b}`);

// Where an element stands on the screen, with its centre at (x, y).
const box = (page, selector) => page.$eval(selector, (e) => {
  const r = e.getBoundingClientRect();
  return { left: r.left, top: r.top, width: r.width, height: r.height, x: r.left + r.width / 2, y: r.top + r.height / 2 };
});

// Where the map picture stands on the screen, with its picture pixels to a screen pixel.
const picture = (page) => page.$eval('#map', (img) => {
  const r = img.getBoundingClientRect();
  return { left: r.left, top: r.top, sx: img.naturalWidth / r.width, sy: img.naturalHeight / r.height };
});
const screenPoint = (page, px, py) => picture(page).then((s) => ({ x: s.left + px / s.sx, y: s.top + py / s.sy }));

async function hoverCell(page, x, y) {
  const o = cellOrigin(x, y);
  const p = await screenPoint(page, o.px + CELL / 2, o.py + CELL / 2);
  await page.mouse.move(p.x, p.y);
  await page.waitForFunction((name) => document.querySelector('#cell-info .cell-name')?.textContent === name,
    { timeout: 5000 }, `Клетка ${x}-${y}`);
}

const cellInfo = (page) => page.$eval('#cell-info', (box) => ({
  lines: [...box.querySelectorAll(':scope > p')].map((p) => p.textContent),
  units: [...box.querySelectorAll('.units li')].map((li) => ({
    text: li.textContent, colour: getComputedStyle(li.querySelector('.swatch')).backgroundColor })),
}));

// The cells outlined on the map, read back from where the outlines stand on the screen.
async function outlinedCells(page) {
  const s = await picture(page);
  const centres = await page.$$eval('#overlay rect.mark', (rects) => rects.map((r) => {
    const b = r.getBoundingClientRect();
    return [b.left + b.width / 2, b.top + b.height / 2];
  }));
  return centres.map(([x, y]) => cellAt((x - s.left) * s.sx, (y - s.top) * s.sy)).sort();
}

// The players the changes panel lists, each opened first: heading, group counts, lines, and open.
async function changedPlayers(page) {
  for (const summary of await page.$$('#changes details.diff-player:not([open]) > summary')) await summary.click();
  return page.$$eval('#changes details.diff-player', (ds) => ds.map((d) => ({
    head: d.querySelector('.diff-name').textContent + (d.querySelector('.was')?.textContent ?? ''),
    groups: d.querySelector('.groups').textContent,
    lines: [...d.querySelectorAll('.diff-lines li')].map((li) => li.textContent),
    open: d.open,
  })));
}
const opened = ({ head, groups, lines }) => ({ head, groups, lines, open: true });

// --- the demo world ---------------------------------------------------------------------------

describe('the demo world, published', () => {
  let site, turns, land, words, colours;

  before(() => {
    ({ site, turns, land, words } = publishWorld(DEMO, turnFiles(DEMO), path.join(tmpRoot, 'demo-site')));
    assert.ok(turns.length >= 3, `the demo world ${DEMO} has at least three turns`);
    colours = toolJson('palette', path.join(DEMO, 'palitr.pal')).palette.map(([r, g, b]) => `rgb(${r}, ${g}, ${b})`);
  });

  // A year in the middle of the epoch, with a year before it.
  const middle = () => Math.max(1, Math.floor(turns.length * 0.8));

  test('opens from a file and from a web server with no error and no request outside its folder', async () => {
    const first = turns[0].turn;
    const server = await serve({ '': site });
    const web = `http://127.0.0.1:${server.address().port}/`;
    const file = pathToFileURL(site).href + '/';
    try {
      for (const [how, url, root] of [['file://', file + 'index.html', file], ['http', web, web]]) {
        await onPage(url, root, how, async (page) => {
          await waitYear(page, first.year);
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
        assert.equal(await page.$eval('#map', (i) => i.getAttribute('src')), `maps/${years[index]}.png`, `${how}: the picture`);
        assert.equal(await page.$eval('#year', (r) => r.getAttribute('aria-valuetext')), `Год ${years[index]}`, `${how}: the slider`);
      }
    });
  });

  test('the cell under the mouse: place, land, income, cell mine and every unit with owner and kind', async () => {
    const index = middle();
    const units = unitLines(turns[index].turn, words);
    const count = (cell) => units.filter((u) => u.cell === cell).length;
    const landOf = (x, y) => land.lands.find((l) => l.index === land.land[y - 1][x - 1]);
    const expectLines = (x, y, mine = land.mine[y - 1][x - 1]) => [`Клетка ${x}-${y}`, landOf(x, y).name,
      `доход ${landOf(x, y).income} монет`, ...(mine ? [MINE_NAMES[mine - 1]] : [])];
    // The cell holding the most units, and a cell mine with a named land and no unit on it.
    const crowded = units.reduce((best, u) => (count(u.cell) > count(best) ? u.cell : best), units[0].cell);
    const mineCell = land.mine.flatMap((row, y) => row.map((m, x) => ({ x: x + 1, y: y + 1, m })))
      .find(({ x, y, m }) => m && landOf(x, y)?.name && count(`${x}-${y}`) === 0);
    assert.ok(mineCell, 'the demo world has an empty cell mine in a named land');

    await onSite(site, 'hovering', async (page) => {
      await goTo(page, turns, index);
      const [cx, cy] = crowded.split('-').map(Number);
      await hoverCell(page, cx, cy);
      const info = await cellInfo(page);
      assert.deepEqual(info.lines, expectLines(cx, cy), `what cell ${crowded} tells`);
      assert.deepEqual(info.units.map((u) => [u.text, u.colour]).sort(),
        units.filter((u) => u.cell === crowded).map((u) => [u.text, colours[u.player - 1]]).sort(),
        `the units on ${crowded}, each in its owner's colour`);
      // The outline stands around the cell under the mouse.
      const outline = await box(page, '#overlay .hover-line');
      const o = cellOrigin(cx, cy);
      const corner = await screenPoint(page, o.px, o.py);
      const centre = await screenPoint(page, o.px + CELL / 2, o.py + CELL / 2);
      near(outline.x, centre.x, 1.5, 'outline centre x');
      near(outline.y, centre.y, 1.5, 'outline centre y');
      near(outline.width, 2 * (centre.x - corner.x), 4, 'outline width');

      await hoverCell(page, mineCell.x, mineCell.y);
      assert.deepEqual(await cellInfo(page), { lines: [...expectLines(mineCell.x, mineCell.y), 'Никого нет.'], units: [] },
        'what an empty cell mine tells');

      // The next year tells the next year's units on the same cell.
      const next = await stepAside(page, turns, index);
      await hoverCell(page, cx, cy);
      assert.deepEqual((await cellInfo(page)).units.map((u) => u.text).sort(), unitsOnCell(next, words, crowded), 'the units a year on');
    });
  });

  test('a player picked in the legend has each unit outlined, across years, until picked again or Escape', async () => {
    const index = middle();
    const turn = turns[index].turn;
    // The player with the most units, so that the outlines are many.
    const sizes = turn.players.slice(0, turn.playerCount).map((p) => p.units.length);
    const player = sizes.indexOf(Math.max(...sizes)) + 1;
    const cellsOf = (t) => (t.players[player - 1]?.units ?? []).map(([x, y]) => `${x}-${y}`).sort();
    const button = `#legend button.player[data-player="${player}"]`;
    await onSite(site, 'the legend', async (page) => {
      // The legend entries not saying aria-pressed="false", and the number of outlines.
      const picked = () => page.evaluate(() => ({
        pressed: [...document.querySelectorAll('#legend button.player')].filter((b) => b.getAttribute('aria-pressed') !== 'false')
          .map((b) => `${b.dataset.player}: ${b.getAttribute('aria-pressed')}`),
        marks: document.querySelectorAll('#overlay rect.mark').length,
      }));
      const none = { pressed: [], marks: 0 };
      await goTo(page, turns, index);
      assert.deepEqual(await picked(), none, 'nothing picked before a click');
      assert.deepEqual(await page.$eval(button, (b) => [b.querySelector('.pname').textContent, b.querySelector('.ptotal').textContent,
        getComputedStyle(b.querySelector('.swatch')).backgroundColor]),
      [`${player}. ${turn.players[player - 1].name}`, String(sizes[player - 1]), colours[player - 1]],
      'the legend entry names the player, counts the units and has the palette colour');

      await page.click(button);
      assert.deepEqual((await picked()).pressed, [`${player}: true`], 'pressed, and only that player');
      assert.ok(await page.$eval(button, (b) => b.classList.contains('selected')), 'shown as selected');
      assert.deepEqual(await outlinedCells(page), cellsOf(turn), 'one outline on each unit of the player');
      // Its line in the chart is the boldest.
      const widths = await page.$$eval('#chart .series-line', (gs) => gs.map((g) =>
        [g.dataset.player, parseFloat(getComputedStyle(g.querySelector('.line')).strokeWidth)]));
      const mine = widths.find(([p]) => p === String(player))[1];
      assert.ok(widths.every(([p, w]) => p === String(player) || w < mine), 'the picked line is drawn bolder');

      // The outlines follow the year.
      const next = await stepAside(page, turns, index);
      assert.deepEqual(await outlinedCells(page), cellsOf(next), 'the outlines of the next year');
      assert.deepEqual((await picked()).pressed, [`${player}: true`], 'still picked a year on');
      await page.click(button);
      assert.deepEqual(await picked(), none, 'a second click clears');
      await page.click(button);
      assert.equal((await picked()).marks, cellsOf(next).length);
      await page.keyboard.press('Escape');
      assert.deepEqual(await picked(), none, 'Escape clears');
    });
  });

  test('the wheel, + − = and the buttons zoom; dragging pans; both last through a change of year', async () => {
    await onSite(site, 'zooming', async (page) => {
      await waitYear(page, turns[0].turn.year);
      const vp = await box(page, '#viewport');
      const map = () => box(page, '#map');
      const start = await map();
      assert.ok(start.width <= vp.width + 1 && start.height <= vp.height + 1, 'the whole map in view at first');

      // The wheel zooms around the cursor: the picture point under it stays under it.
      const at = { x: vp.left + vp.width * 0.3, y: vp.top + vp.height * 0.4 };
      await page.mouse.move(at.x, at.y);
      await page.mouse.wheel({ deltaY: -300 });
      const wheeled = await map();
      assert.ok(wheeled.width > start.width * 1.3, `the wheel zooms in: ${start.width} → ${wheeled.width}`);
      near(at.x - wheeled.left, (at.x - start.left) * wheeled.width / start.width, 2, 'the point under the cursor (x)');
      near(at.y - wheeled.top, (at.y - start.top) * wheeled.height / start.height, 2, 'the point under the cursor (y)');
      await page.mouse.wheel({ deltaY: 300 });
      near((await map()).width, start.width, 1, 'the wheel back zooms out again');

      const key = (k) => () => page.keyboard.press(k);
      const click = (b) => () => page.click(b);
      for (const [what, act, grows] of [['=', key('Equal'), true], ['+ on the number pad', key('NumpadAdd'), true],
        ['−', key('Minus'), false], ['the + button', click('#zoom-in'), true], ['the + button again', click('#zoom-in'), true],
        ['the − button', click('#zoom-out'), false], ['− on the number pad', key('NumpadSubtract'), false],
        ['+', () => page.keyboard.type('+'), true]]) {
        const a = (await map()).width;
        await act();
        const b = (await map()).width;
        assert.ok(grows ? b > a * 1.1 : b < a / 1.1, `${what}: ${a} → ${b}`);
      }

      // Drag the map by (−120, −80) from the middle of the view.
      const zoomed = await map();
      await page.mouse.move(vp.x, vp.y);
      await page.mouse.down();
      await page.mouse.move(vp.x - 120, vp.y - 80, { steps: 6 });
      await page.mouse.up();
      const dragged = await map();
      near(dragged.left - zoomed.left, -120, 1, 'dragged left');
      near(dragged.top - zoomed.top, -80, 1, 'dragged up');
      near(dragged.width, zoomed.width, 0.5, 'dragging keeps the zoom');
      await step(page, 'ArrowRight', turns[1].turn.year);
      assert.deepEqual(await map(), dragged, 'zoom and place are kept when the year changes');

      // Past one screen pixel per picture pixel the cells stay sharp squares.
      const rendering = () => page.$eval('#map', (i) => getComputedStyle(i).imageRendering);
      const natural = await page.$eval('#map', (i) => i.naturalWidth);
      for (let i = 0; i < 12 && (await map()).width <= natural * 1.2; ++i) await page.click('#zoom-in');
      assert.ok((await map()).width > natural * 1.2, 'the + button zooms past the picture size');
      assert.equal(await rendering(), 'pixelated', 'zoomed in, the picture is drawn pixelated');
      await page.click('#zoom-fit');
      near((await map()).width, start.width, 1, '"Вся карта" shows the whole map again');
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
      assert.deepEqual(await changedPlayers(page), expected.players.map(opened));
    });
  });

  test('the chart marks the current year and a click on it picks the nearest year', async () => {
    const years = turns.map((t) => t.turn.year);
    const last = years.length - 1;
    await onSite(site, 'the chart', async (page) => {
      await waitYear(page, years[0]);
      assert.equal(await countOf(page, '#chart .series-line'), Math.max(...turns.map((t) => t.turn.playerCount)),
        'one line per player');
      const marker = async () => (await box(page, '#chart .marker')).left;
      const x0 = await marker();
      await step(page, 'ArrowRight', years[1]);
      const x1 = await marker();
      await step(page, 'End', years[last]);
      const xN = await marker();
      assert.ok(x0 < x1 && x1 < xN, `the marker moves right with the years: ${x0}, ${x1}, ${xN}`);
      const xOf = (y) => x0 + (xN - x0) * (y - years[0]) / (years[last] - years[0]);
      near(x1, xOf(years[1]), 1.5, 'the marker of the second year');

      const k = Math.floor(years.length / 3);
      await page.mouse.click(xOf(years[k]) + 2, (await box(page, '#chart svg')).y);
      await waitYear(page, years[k]);
      near(await marker(), xOf(years[k]), 1.5, 'the marker of the clicked year');
    });
  });

  test('the page itself stays small', () => {
    const sizes = ['index.html', 'site.js', 'site.css'].map((f) => fs.statSync(path.join(site, f)).size);
    const total = sizes.reduce((a, b) => a + b, 0);
    assert.ok(total < 100 * 1024, `index.html + site.js + site.css = ${sizes.join(' + ')} = ${total} bytes`);
  });
});

// --- a world written here for the edge cases --------------------------------------------------

describe('a small world with unnamed land, names that look like markup and a quiet year', () => {
  let site, turns, land, words;
  const title = '<b>Эпоха</b> & "мир"';

  before(() => {
    const world = path.join(tmpRoot, 'edge-world');
    fs.mkdirSync(world);
    for (const f of ['map.bmp', 'osnova.bmp', 'rudnici.bmp', 'palitr.pal']) fs.copyFileSync(path.join(DEMO, f), path.join(world, f));
    // Three rows of lands (the rest of the map has none), land Q without a name, three cell mines.
    fs.writeFileSync(path.join(world, 'orv.dat'), crlf([
      'Земли пробного мира', 'для проверки страницы', '3', 'Карта',
      '~~AAAABB~~Q', '~AAAABBBB~', '~~AABBB~~~',
      'С 4 2,', 'З 7 2,', 'М 6 3,', 'Д',
      'Земли',
      'A', '<i>Марка</i> & Ко', '12',
      'B', 'Красногорье', '9',
      '~', 'Северное море', '0',
    ]));
    // The first player is renamed in year 6 and moves a knight; year 7 repeats year 6.
    const demoTurn = fs.readFileSync(turnFiles(DEMO)[0]);
    const legendLine = demoTurn.subarray(0, demoTurn.indexOf(0x0d));
    for (const [year, first, knightX] of [[5, 'Ольгерд Смелый', 4], [6, '<b>Ольгерд</b>', 6], [7, '<b>Ольгерд</b>', 6]]) {
      fs.writeFileSync(path.join(world, `Год${year}.tvk`), Buffer.concat([legendLine, crlf(['',
        String(year), 'Player',
        first, '1 18', `р ${knightX} 2,`, 'Г 5 3,', 'S 20 40,', 'Player',
        'Ведана', '2 3', 'д 4 2,', 'З 11 1,', 'END'])]));
    }
    ({ site, turns, land, words } = publishWorld(world, turnFiles(world), path.join(tmpRoot, 'edge-site'), '--title', title));
  });

  test('cells, legend and changes tell what the files say, names shown as the text they are', async () => {
    const turn = turns[0].turn;
    const name = turns[1].turn.players[0].name;
    const a = land.lands.find((l) => l.index === land.land[1][3]);
    const q = land.land[0][10];
    const renamed = toolDiff(turns[0].file, turns[1].file);
    const quiet = toolDiff(turns[1].file, turns[2].file);
    // The world as written: land A on 4-2 with two players there, land Q on 11-1 without a name, no
    // land on 20-40; the rename seen, and nothing changed from year 6 to 7.
    assert.deepEqual([a.name, unitsOnCell(turn, words, '4-2').length, land.lands.some((l) => l.index === q && l.name),
      land.land[39][19], name, renamed.players[0].head.endsWith(' (был Ольгерд Смелый)'), quiet.players.length],
    ['<i>Марка</i> & Ко', 2, false, 0, '<b>Ольгерд</b>', true, 0], 'the tool reads the world as written');
    await onSite(site, 'the small world', async (page) => {
      await waitYear(page, 5);
      assert.equal(await textOf(page, 'h1'), title, 'the heading');
      assert.ok((await page.title()).includes(title), 'the window title');
      for (const [x, y, lines] of [
        [4, 2, ['Клетка 4-2', a.name, `доход ${a.income} монет`, MINE_NAMES[land.mine[1][3] - 1]]],
        // No income for a land without a block, nothing more for a cell without land.
        [11, 1, ['Клетка 11-1', `Земля № ${q} без названия`]],
        [20, 40, ['Клетка 20-40', 'Ничья клетка: земли нет']]]) {
        await hoverCell(page, x, y);
        const info = await cellInfo(page);
        assert.deepEqual(info.lines, lines, `what cell ${x}-${y} tells`);
        assert.deepEqual(info.units.map((u) => u.text).sort(), unitsOnCell(turn, words, `${x}-${y}`), `the units on ${x}-${y}`);
      }

      await step(page, 'ArrowRight', 6);
      assert.equal(await textOf(page, '#legend button.player[data-player="1"] .pname'), `1. ${name}`);
      await hoverCell(page, 6, 2);
      assert.ok((await cellInfo(page)).units.some((u) => u.text.endsWith(`Игрок 1: ${name}`)), 'the cell names the player');
      assert.deepEqual(await changedPlayers(page), renamed.players.map(opened), 'the changes name the player and the old name');
      assert.equal(await countOf(page, 'body b, body i'), 0, 'no markup made from a name');
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
    const shows = (page, selector, pattern) => page.waitForFunction((s, p) => {
      const e = document.querySelector(s);
      return !e.hidden && new RegExp(p).test(e.textContent);
    }, { timeout: 5000 }, selector, pattern.source);
    // The browser itself puts each missing file on the console.
    await onSite(broken, 'missing files', async (page) => {
      await waitYear(page, 5);
      await page.keyboard.press('ArrowRight');
      await shows(page, '#map-status', /^Не удалось загрузить карту года 6 \(maps\/6\.png\)/);
      assert.equal(await page.$eval('#map', (i) => i.hidden), true, 'no stale picture under another year');
      await page.keyboard.press('ArrowRight');
      await shows(page, '#message', /data\/7\.js/);
      assert.equal(await textOf(page, '#year-label'), 'Год 7');
      await step(page, 'Home', 5);
      assert.equal(await page.$eval('#message', (m) => m.hidden), true, 'the message goes with a good year');
    }, { quiet: false });

    fs.rmSync(path.join(broken, 'data', 'epoch.js'));
    await onSite(broken, 'no epoch', (page) => shows(page, '#message', /data\/epoch\.js/), { quiet: false });
  });
});

// --- a long epoch -----------------------------------------------------------------------------

describe('a 100-year epoch of 27 full players', {
  skip: BENCH ? false : 'TIRMAGOR_BENCH_WORLD is not set: no program to write the 100-year world',
}, () => {
  test('opens quickly and steps through the years', async () => {
    const dir = path.join(tmpRoot, 'bench');
    fs.mkdirSync(dir);
    execFileSync(BENCH, [dir], { stdio: 'ignore' });
    const { site, turns } = publishWorld(path.join(dir, 'world'), turnFiles(path.join(dir, 'epoch')), path.join(dir, 'site'));
    await onSite(site, 'the long epoch', async (page) => {
      await waitYear(page, turns[0].turn.year);
      const [paint, shown] = await page.evaluate(() => [
        (performance.getEntriesByName('first-contentful-paint')[0] || { startTime: NaN }).startTime, performance.now()]);
      console.log(`first paint: ${Math.round(paint)} ms, first year shown: ${Math.round(shown)} ms`);
      // The page's budget; the browser is the same in the sanitizer run, only the tool differs.
      assert.ok(paint > 0 && paint < 1000, `first paint after ${Math.round(paint)} ms, not within the budget of 1 s`);

      for (const { turn } of turns.slice(1, 4)) {
        const t0 = Date.now();
        await step(page, 'ArrowRight', turn.year);
        console.log(`step to year ${turn.year}: ${Date.now() - t0} ms`);
        const totals = await page.$$eval('#legend .ptotal', (t) => t.map((e) => Number(e.textContent)));
        assert.deepEqual(totals, turn.players.slice(0, turn.playerCount).map((p) => p.units.length), `the legend of year ${turn.year}`);
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
