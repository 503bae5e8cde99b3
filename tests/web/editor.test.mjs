// Browser tests of the browser editor (build/web/editor, made by `make web`), run with `node --test`.
//
// Environment:
//   TIRMAGOR_WEB_PAGE           the page's folder (default: build/web/editor)
//   TIRMAGOR_EDITOR_REFERENCE   the native editor that answers for the page (tirmagor-editor-reference)
//   TIRMAGOR_TOOL               tirmagor-tool, for the units of a turn
//   TIRMAGOR_DEMO_WORLD         the demo world folder (default: build/default/demo/world)
//   CHROMIUM                    the browser (default: /usr/bin/chromium); nothing is ever downloaded
//   TIRMAGOR_SANITIZED          1 in the sanitizer run: the first paint is printed, not held to 1 s
//
// Every expected picture and file comes from the native editor running the same steps on the
// same world: the fingerprint of its window surface or map, and the bytes of the turn it saves.
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
const PAGE = fromRepo(process.env.TIRMAGOR_WEB_PAGE || 'build/web/editor');
const REFERENCE = fromRepo(process.env.TIRMAGOR_EDITOR_REFERENCE || 'build/default/tests/web/tirmagor-editor-reference');
const TOOL = fromRepo(process.env.TIRMAGOR_TOOL || 'build/default/src/tool/tirmagor-tool');
const DEMO = fromRepo(process.env.TIRMAGOR_DEMO_WORLD || 'build/default/demo/world');

// The client area at the window's design size, below the page's menu bar.
const CLIENT = { width: 1130, height: 806 };
// Window pixel of the middle of cell (x, y) while the view is not scrolled: the map's corner is
// at (2, 30) in the window, and cell (x, y) starts at map pixel (20·x + 20, 20·(y − 1) + 18).
const cellPoint = (x, y) => ({ x: 2 + 20 * x + 30, y: 30 + 20 * (y - 1) + 28 });

let tmpRoot;
let browser;
let server;
let origin;

before(async () => {
  assert.ok(fs.existsSync(path.join(PAGE, 'index.html')), `no page at ${PAGE}: run make web`);
  assert.ok(fs.existsSync(REFERENCE), `no native reference at ${REFERENCE}: build it or set TIRMAGOR_EDITOR_REFERENCE`);
  assert.ok(fs.existsSync(CHROMIUM), `no browser at ${CHROMIUM}: install chromium or set CHROMIUM`);
  tmpRoot = fs.mkdtempSync(path.join(os.tmpdir(), 'tirmagor-editor-test-'));
  const broken = path.join(tmpRoot, 'broken');
  fs.mkdirSync(broken);
  for (const name of fs.readdirSync(DEMO)) fs.copyFileSync(path.join(DEMO, name), path.join(broken, name));
  fs.writeFileSync(path.join(broken, 'osnova.bmp'), 'no picture at all');
  // /editor/ the page, /world/ the demo world, /broken/ a broken one.
  server = await serve({ editor: PAGE, world: DEMO, broken });
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await launchBrowser(path.join(tmpRoot, 'profile'));
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
  if (tmpRoot) fs.rmSync(tmpRoot, { recursive: true, force: true });
});

// --- the native editor ------------------------------------------------------------------------

// Runs the native editor in `world` with the commands; its printed lines, by their first word.
function reference(world, ...commands) {
  const out = execFileSync(REFERENCE, [world, ...commands.flat(Infinity).map(String)], { encoding: 'utf8' });
  return out.trim().split('\n').filter(Boolean).map((line) => {
    const space = line.indexOf(' ');
    return { kind: line.slice(0, space), value: line.slice(space + 1) };
  });
}
const referenceValues = (kind, world, ...commands) =>
  reference(world, ...commands).filter((line) => line.kind === kind).map((line) => line.value);

const turnOf = (year) => JSON.parse(execFileSync(TOOL, ['turn', path.join(DEMO, `Год${year}.tvk`)], { encoding: 'utf8' }));

// --- the page ---------------------------------------------------------------------------------

async function openPage(url, { withoutFolderPicker = false } = {}) {
  const page = await browser.newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.message));
  // A year without a turn file is a plain 404 of the server, which the browser reports.
  page.on('console', (message) => {
    if (message.type() === 'error' && !/404/.test(message.text())) problems.push(message.text());
  });
  page.on('request', (request) => {
    const address = request.url();
    if (!address.startsWith(origin) && !address.startsWith('file:') && !address.startsWith('data:') && !address.startsWith('blob:'))
      problems.push('request outside the page: ' + address);
  });
  if (withoutFolderPicker) await page.evaluateOnNewDocument(() => { delete window.showDirectoryPicker; });
  const menuHeight = 24;
  await page.setViewport({ width: CLIENT.width, height: CLIENT.height + menuHeight });
  await page.goto(url);
  page.problems = problems;
  return page;
}

// The demo world served by ?world=, ready.
async function openWorldPage() {
  const page = await openPage(`${origin}/editor/index.html?world=/world/`);
  await worldReady(page);
  return page;
}

const worldReady = (page) => page.waitForFunction(() => window.tirmagor && window.tirmagor.ready, { timeout: 30000 });

// Everything asked of the page's core so far has been done and shown.
const settled = (page) => page.evaluate(() => window.tirmagor.idle());

// The fingerprint of the canvas, as the native one of the window surface: FNV-1a over every
// pixel's red, green, blue and a zero byte, row by row.
// The window's canvas, or the picture at `dataUrl` drawn on a canvas of its own.
async function canvasFingerprint(page, dataUrl = null) {
  return page.evaluate(async (dataUrl) => {
    let canvas = document.querySelector('#Form1');
    if (dataUrl) {
      const picture = new Image();
      picture.src = dataUrl;
      await picture.decode();
      canvas = Object.assign(document.createElement('canvas'), { width: picture.naturalWidth, height: picture.naturalHeight });
      canvas.getContext('2d').drawImage(picture, 0, 0);
    }
    const { width, height } = canvas;
    const pixels = canvas.getContext('2d').getImageData(0, 0, width, height).data;
    // 64-bit FNV-1a in two 32-bit halves: the prime is 2^40 + 0x1b3.
    let hi = 0xcbf29ce4, lo = 0x84222325;
    for (let i = 0; i < pixels.length; ++i) {
      lo ^= (i & 3) === 3 ? 0 : pixels[i];
      const low = (lo & 0xffff) * 0x1b3;
      const middle = (lo >>> 16) * 0x1b3 + (low >>> 16);
      hi = (Math.imul(hi, 0x1b3) + (middle >>> 16) + (lo << 8)) >>> 0;
      lo = (((middle & 0xffff) << 16) | (low & 0xffff)) >>> 0;
    }
    return { fingerprint: '0x' + hi.toString(16).padStart(8, '0') + lo.toString(16).padStart(8, '0'), width, height };
  }, dataUrl);
}

async function canvasBox(page) {
  return page.evaluate(() => {
    const box = document.querySelector('#Form1').getBoundingClientRect();
    return { left: box.left, top: box.top };
  });
}

// Real mouse events at window pixels of the canvas.
async function mouse(page, steps) {
  const box = await canvasBox(page);
  for (const [action, button, x, y] of steps) {
    await page.mouse.move(box.left + x, box.top + y);
    if (action === 'press') await page.mouse.down({ button });
    else await page.mouse.up({ button });
  }
  await settled(page);
}
const nativeMouse = (steps) => steps.map(([action, button, x, y]) => [action, { left: 'L', right: 'R', middle: 'M' }[button], x, y]);

async function typeYear(page, year) {
  await page.click('#SpinEdit1', { clickCount: 3 });
  await page.keyboard.type(String(year));
  await page.waitForFunction((year) => document.title.includes(`Год${year}.tvk`), { timeout: 10000 }, year).catch(async (error) => {
    const [title, field] = await page.evaluate(() => [document.title, document.querySelector('#SpinEdit1').value]);
    throw new Error(`typing ${year}: the title is "${title}", the field "${field}" (${error.message})`);
  });
  await settled(page);
}

async function withControl(page, ...keys) {
  await page.keyboard.down('Control');
  for (const key of keys) await page.keyboard.press(key);
  await page.keyboard.up('Control');
}

function downloadsInto(page, folder) {
  fs.mkdirSync(folder, { recursive: true });
  return page.createCDPSession().then((session) =>
    session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder }));
}

async function waitForFile(file) {
  for (let i = 0; i < 200 && !fs.existsSync(file); ++i) await new Promise((resolve) => setTimeout(resolve, 50));
  assert.ok(fs.existsSync(file), `nothing saved as ${file}`);
  return fs.readFileSync(file);
}

// What the browser's storage holds of the recovery copies: each file's name and, for a record,
// its text; by default once the page has stored the copies of the turn as it is now.
function recoveryStorage(page, { caughtUp = true } = {}) {
  return page.evaluate((caughtUp) => (caughtUp ? window.tirmagor.recoveryStored() : Promise.resolve()).then(() => new Promise((resolve) => {
    const request = indexedDB.open('tirmagor-editor', 1);
    request.onsuccess = () => {
      const store = request.result.transaction('recovery').objectStore('recovery');
      const keys = store.getAllKeys(), values = store.getAll();
      values.onsuccess = () => resolve(keys.result.map((name, i) =>
        [name, name.endsWith('.record') ? new TextDecoder().decode(values.result[i]) : '']));
    };
  })), caughtUp);
}

async function save(page, menuItem, name, type) {
  await page.click('#File1');
  await page.click(menuItem);
  await page.waitForSelector('#SaveDialog1:not([hidden])');
  if (type) await page.select('#SaveType', type);
  await page.click('#SaveName', { clickCount: 3 });
  await page.keyboard.type(name);
  await page.click('#SaveOk');
}

// --- the tests --------------------------------------------------------------------------------

describe('the browser editor', () => {
  test('opens a world by ?world= from a local server and paints the native window, pixel for pixel', async () => {
    const page = await openWorldPage();
    const started = await canvasFingerprint(page);
    assert.deepEqual([started.width, started.height], [CLIENT.width, CLIENT.height]);
    assert.equal(started.fingerprint, referenceValues('window', DEMO, 'window')[0], 'the window after start-up');

    await typeYear(page, 7);
    const [window7, map7] = reference(DEMO, 'year', 7, 'window', 'map').map((line) => line.value);
    assert.equal((await canvasFingerprint(page)).fingerprint, window7, 'the window after year 7');
    assert.equal(await page.$eval('#SpinEdit1', (field) => field.value), '7');
    assert.equal(await page.$eval('#Edit2', (field) => field.value), String(turnOf(7).playerCount));

    // The status bar reads the cell under the mouse, as the native one.
    const box = await canvasBox(page);
    const { x, y } = cellPoint(40, 20);
    await page.mouse.move(box.left + x, box.top + y);
    await settled(page);
    const panels = await page.$$eval('#StatusBar1 .panel', (all) => all.map((panel) => panel.textContent));
    assert.equal(panels[0], '(40-20)');
    assert.match(panels[2], /^(доход \d+ монет|0)$/);

    // The overview shows the whole map: its picture is made from the composed map.
    await withControl(page, 'KeyM');
    await page.waitForSelector('#Overview:not([hidden])');
    assert.equal(await page.$eval('#SpinEdit1', (field) => field.value), '7', 'Ctrl+M steps no year');
    assert.ok(map7.startsWith('0x'));
    assert.deepEqual(page.problems, []);
    await page.close();
  });

  test('moves, adds and deletes units with the mouse, undoes and redoes, and saves the native turn', async () => {
    const page = await openWorldPage();
    await typeYear(page, 7);
    const units = turnOf(7).players[0].units;
    const [fromX, fromY] = units.find(([x, y]) => x < 50 && y > 2 && y < 36);
    const [goneX, goneY] = units.find(([x, y]) => x < 50 && y > 2 && y < 36 && (x !== fromX || y !== fromY));
    const from = cellPoint(fromX, fromY), to = cellPoint(fromX + 2, fromY + 1);
    const move = [['press', 'left', from.x, from.y], ['release', 'left', to.x, to.y]];
    // Kind 3 from the kind strip, player 2 from the colour strip, then the cell it goes to.
    const kindStripLeft = 264 + 17, colorStripLeft = kindStripLeft + 15 * 20 + 4 * 20;
    const added = cellPoint(20, 30);
    const add = [['press', 'left', kindStripLeft + 2 * 20 + 10, 10], ['release', 'left', kindStripLeft + 2 * 20 + 10, 10],
      ['press', 'left', colorStripLeft + 20 + 10, 10], ['release', 'left', colorStripLeft + 20 + 10, 10],
      ['press', 'left', added.x, added.y], ['release', 'left', added.x, added.y]];
    const gone = cellPoint(goneX, goneY);
    const remove = [['press', 'right', gone.x, gone.y], ['release', 'right', gone.x, gone.y]];

    const native = (...more) => referenceValues('window', DEMO, 'year', 7, ...more, 'window')[0];
    await mouse(page, move);
    assert.equal((await canvasFingerprint(page)).fingerprint, native(nativeMouse(move)), 'after a move');
    assert.match(await page.title(), /^• Год7\.tvk/, 'the title marks the unsaved edit');
    await mouse(page, add);
    await mouse(page, remove);
    const edits = nativeMouse([...move, ...add, ...remove]);
    assert.equal((await canvasFingerprint(page)).fingerprint, native(edits), 'after a move, an addition and a deletion');

    // Undo and redo from the menu, then by the keys, which step no year on their release.
    await page.click('#EditMenu');
    assert.equal(await page.$eval('#Undo .text', (item) => item.textContent), 'Отменить удаление');
    await page.click('#Undo');
    await settled(page);
    assert.equal((await canvasFingerprint(page)).fingerprint, native(edits, 'undo'), 'after undo');
    await withControl(page, 'KeyZ', 'KeyY', 'KeyY');
    await settled(page);
    assert.equal((await canvasFingerprint(page)).fingerprint, native(edits, 'undo', 'undo', 'redo', 'redo'), 'after undo and redo');
    assert.equal(await page.$eval('#SpinEdit1', (field) => field.value), '7', 'the keys of undo and redo step no year');

    // "Сохранить ход": a download of the bytes the native editor saves after the same edits.
    const downloads = path.join(tmpRoot, 'downloads-turn');
    await downloadsInto(page, downloads);
    await save(page, '#N10', 'Год7.tvk');
    const saved = await waitForFile(path.join(downloads, 'Год7.tvk'));
    const nativeTurn = path.join(tmpRoot, 'native-Год7.tvk');
    reference(DEMO, 'year', 7, edits, 'save', nativeTurn);
    assert.ok(saved.equals(fs.readFileSync(nativeTurn)), 'the saved turn is the native one, byte for byte');
    await settled(page);
    assert.match(await page.title(), /^Год7\.tvk/, 'a saved turn has no unsaved mark');

    // "Сохранить как картинку" as PNG: the pixels of the native composed map.
    await save(page, '#N9', 'Год7.png', '.png');
    const png = await waitForFile(path.join(downloads, 'Год7.png'));
    const shown = await canvasFingerprint(page, 'data:image/png;base64,' + png.toString('base64'));
    assert.equal(shown.fingerprint, referenceValues('map', DEMO, 'year', 7, edits, 'map')[0], 'the PNG has the map\'s pixels');
    assert.deepEqual(page.problems, []);
    await page.close();
  });

  test('steps years by typing, by the year field\'s keys and by a key released on the window', async () => {
    const page = await openWorldPage();
    await typeYear(page, 12);
    await page.focus('#SpinEdit1');
    await page.keyboard.press('ArrowUp');
    await page.waitForFunction(() => document.title.includes('Год13.tvk'));
    await settled(page);
    assert.equal((await canvasFingerprint(page)).fingerprint, referenceValues('window', DEMO, 'year', 13, 'window')[0]);
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('ArrowDown');
    await page.waitForFunction(() => document.title.includes('Год11.tvk'));

    // A press outside the map and the strips takes the focus from the field; a key released
    // on the window steps to the next year.
    const box = await canvasBox(page);
    await page.mouse.click(box.left + 20, box.top + 5);
    await page.keyboard.press('Shift');
    await page.waitForFunction(() => document.title.includes('Год12.tvk'));
    await settled(page);
    assert.equal(await page.$eval('#SpinEdit1', (field) => field.value), '12');
    assert.equal((await canvasFingerprint(page)).fingerprint, referenceValues('window', DEMO, 'year', 11, 'year', 12, 'window')[0]);

    // A year without a turn file keeps the shown turn, as on the desktop.
    await typeYear(page, 500);
    // Typed digit by digit: years 5, 50 and 500, of which only year 5 has a turn.
    assert.equal((await canvasFingerprint(page)).fingerprint,
      referenceValues('window', DEMO, 'year', 12, 'year', 5, 'year', 50, 'year', 500, 'window')[0]);
    assert.deepEqual(page.problems, []);
    await page.close();
  });

  test('scrolls by the wheel, grows with the window, shows tooltips and the reference sheet as the desktop does', async () => {
    const page = await openWorldPage();
    await typeYear(page, 7);
    const box = await canvasBox(page);
    const [x, y] = turnOf(7).players[0].units.find(([ux, uy]) => ux < 50 && uy > 2 && uy < 36);
    const unit = cellPoint(x, y);

    // The tooltip of a unit's cell, after the mouse rests there.
    await page.mouse.move(box.left + unit.x, box.top + unit.y);
    await page.waitForSelector('#ToolTip:not([hidden])', { timeout: 5000 });
    const expected = referenceValues('tooltip', DEMO, 'year', 7, 'tooltip', unit.x, unit.y)[0].replaceAll('\\n', '\n');
    assert.ok(expected.length > 0);
    assert.equal(await page.$eval('#ToolTip', (tip) => tip.textContent), expected);

    // One notch of the wheel away from the user scrolls three rows down.
    await page.mouse.wheel({ deltaY: 100 });
    await settled(page);
    assert.equal((await canvasFingerprint(page)).fingerprint, referenceValues('window', DEMO, 'year', 7, 'scroll', 0, 3, 'window')[0]);

    // A larger browser window: the view grows to its edges, as the desktop's window does.
    await page.setViewport({ width: 1400, height: 900 });
    await page.waitForFunction(() => document.querySelector('#Form1').width === 1400);
    await settled(page);
    const grown = await canvasFingerprint(page);
    assert.deepEqual([grown.width, grown.height], [1400, 900 - 24]);
    assert.equal(grown.fingerprint, referenceValues('window', DEMO, 'year', 7, 'scroll', 0, 3, 'size', 1400, 876, 'window')[0]);

    // "Рифленка" shows the reference sheet at its own size; a double click on it hides it.
    await page.click('#N12');
    await page.waitForSelector('#Form2:not([hidden])');
    const sheet = fs.readFileSync(path.join(DEMO, 'Рифленка.bmp'));
    assert.deepEqual(await page.$eval('#ReferencePicture', (canvas) => [canvas.width, canvas.height]),
      [sheet.readInt32LE(18), Math.abs(sheet.readInt32LE(22))]);
    await page.click('#ReferencePicture', { clickCount: 2 });
    await page.waitForSelector('#Form2', { hidden: true });

    // The players' down button: one player fewer in the field.
    await page.click('#UpDown1 .spin-down');
    await settled(page);
    assert.equal(await page.$eval('#Edit2', (field) => field.value), String(turnOf(7).playerCount - 1));
    // And back up: no unsaved edit, so nothing is left in the browser's storage.
    await page.click('#UpDown1 .spin-up');
    await settled(page);
    assert.deepEqual(await recoveryStorage(page), []);
    assert.deepEqual(page.problems, []);
    await page.close();
  });

  test('reads the years from a folder the browser grants, and saves into it', async () => {
    // A stand-in for the folder the browser's picker grants: files read from the server, files
    // written kept in the page, each only once its writer closes.
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(() => {
      window.writtenFiles = {};
      window.pickerCalls = 0;
      const file = (name) => ({
        kind: 'file',
        async getFile() {
          if (name in window.writtenFiles) return new File([window.writtenFiles[name]], name);
          const response = await fetch('/world/' + encodeURIComponent(name));
          if (!response.ok) throw new DOMException('missing', 'NotFoundError');
          return new File([await response.blob()], name);
        },
        async createWritable() {
          const parts = [];
          return {
            async write(data) { parts.push(data); },
            async close() {
              if (window.refuseWrites) throw new DOMException('The folder refused the file.', 'NotAllowedError');
              window.writtenFiles[name] = new Uint8Array(await new Blob(parts).arrayBuffer());
            },
          };
        },
      });
      window.showDirectoryPicker = async () => {
        ++window.pickerCalls;
        return {
          name: 'world',
          async getFileHandle(name, options) {
            if (!(options && options.create)) await file(name).getFile();
            return file(name);
          },
          async *entries() { for (const name of ['Год0.tvk', 'Год7.tvk']) yield [name, file(name)]; },
        };
      };
    });
    await page.setViewport({ width: CLIENT.width, height: CLIENT.height + 24 });
    await page.goto(`${origin}/editor/index.html`);
    await page.click('#OpenFolder');
    await worldReady(page);
    assert.equal(await page.evaluate(() => window.pickerCalls), 1);
    await typeYear(page, 7);
    const [x, y] = turnOf(7).players[0].units.find(([ux, uy]) => ux < 50 && uy > 2 && uy < 36);
    const from = cellPoint(x, y), to = cellPoint(x, y + 2);
    const move = [['press', 'left', from.x, from.y], ['release', 'left', to.x, to.y]];
    await mouse(page, move);

    // A write the folder refuses: an error, and the edit is still unsaved, with its copy.
    await page.evaluate(() => { window.refuseWrites = true; });
    await save(page, '#N10', 'Год7.tvk');
    await page.waitForSelector('#ErrorBox:not([hidden])');
    assert.match(await page.$eval('#ErrorText', (text) => text.textContent), /Год7\.tvk.*refused/);
    await page.click('#ErrorOk');
    await settled(page);
    assert.match(await page.title(), /^• Год7\.tvk/);
    const kept = await recoveryStorage(page);
    assert.equal(kept.length, 2, `the copy stays: ${JSON.stringify(kept)}`);

    await page.evaluate(() => { window.refuseWrites = false; });
    await save(page, '#N10', 'Год7.tvk');
    await page.waitForFunction(() => 'Год7.tvk' in window.writtenFiles);
    await settled(page);
    assert.match(await page.title(), /^Год7\.tvk/);
    assert.deepEqual(await recoveryStorage(page, { caughtUp: false }), []);
    const written = Buffer.from(await page.evaluate(() => [...window.writtenFiles['Год7.tvk']]));

    // The native editor does the same in a copy of the world, then steps away and back.
    const picked = path.join(tmpRoot, 'picked');
    fs.mkdirSync(picked);
    for (const name of fs.readdirSync(DEMO)) fs.copyFileSync(path.join(DEMO, name), path.join(picked, name));
    const nativeTurn = path.join(picked, 'Год7.tvk');
    const [nativeWindow] = referenceValues('window', picked, 'year', 7, nativeMouse(move), 'save', nativeTurn,
      'year', 8, 'year', 7, 'window');
    assert.ok(written.equals(fs.readFileSync(nativeTurn)), 'written into the folder, the native bytes');

    // Stepping away and back reads the year from the folder again: the saved turn.
    await typeYear(page, 8);
    await typeYear(page, 7);
    assert.equal((await canvasFingerprint(page)).fingerprint, nativeWindow);
    await page.close();
  });

  test('opens a world read-only from the folder chooser, where the browser has no folder picker', async () => {
    const page = await openPage(`${origin}/editor/index.html`, { withoutFolderPicker: true });
    await page.waitForSelector('#StartScreen:not([hidden])');
    assert.match(await page.$eval('#AccessNote', (note) => note.textContent), /только для чтения/);
    const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#OpenFolder')]);
    await chooser.accept([DEMO]);  // the folder: the browser hands over the files in it
    await worldReady(page);
    await typeYear(page, 7);
    assert.equal((await canvasFingerprint(page)).fingerprint, referenceValues('window', DEMO, 'year', 7, 'window')[0]);
    await page.click('#File1');
    await page.click('#N10');
    assert.match(await page.$eval('#SaveWhere', (note) => note.textContent), /скачан/);
    assert.deepEqual(page.problems, []);
    await page.close();
  });

  test('shows a broken world\'s error in the error box with the desktop\'s text', async () => {
    const broken = path.join(tmpRoot, 'broken');
    const page = await openPage(`${origin}/editor/index.html?world=/broken/`);
    await page.waitForSelector('#ErrorBox:not([hidden])', { timeout: 30000 });
    const expected = referenceValues('error', broken);
    assert.ok(expected.length > 0, 'the native editor fails on the broken world too');
    assert.equal(await page.$eval('#ErrorText', (text) => text.textContent), expected[0]);
    await page.click('#ErrorOk');
    await page.waitForSelector('#ErrorBox', { hidden: true });
    await page.close();
  });

  test('asks before a tab with unsaved edits reloads, keeps them in the browser\'s storage and offers them back', async () => {
    const page = await openWorldPage();
    await typeYear(page, 7);
    const [x, y] = turnOf(7).players[0].units.find(([ux, uy]) => ux < 45 && uy > 2 && uy < 30);
    const from = cellPoint(x, y), to = cellPoint(x + 3, y + 1);
    const move = [['press', 'left', from.x, from.y], ['release', 'left', to.x, to.y]];
    await mouse(page, move);
    const stored = () => recoveryStorage(page);
    const held = await stored();
    assert.equal(held.length, 2, `the copy and its record: ${JSON.stringify(held)}`);
    assert.match(held.find(([name]) => name.endsWith('.record'))[1], /Год7\.tvk/);

    // The tab reloaded, after the leave-page question: the world's copy is offered.
    const questions = [];
    page.on('dialog', (dialog) => {
      questions.push(dialog.type());
      dialog.accept();
    });
    await page.reload();
    assert.deepEqual(questions, ['beforeunload']);
    await worldReady(page);
    await settled(page);
    const shown = await page.evaluate(() => ({
      hidden: document.querySelector('#RecoveryWindow').hidden,
      error: document.querySelector('#ErrorBox').hidden ? '' : document.querySelector('#ErrorText').textContent,
    }));
    assert.deepEqual(shown, { hidden: false, error: '' }, `offered after the reload; the storage holds ${JSON.stringify(await stored())}`);
    const rows = await page.$$eval('#RecoveryList tbody tr', (all) => all.map((row) => [...row.cells].map((cell) => cell.textContent)));
    assert.equal(rows.length, 1);
    assert.equal(rows[0][0], '7');
    assert.equal(rows[0][2], '1 перемещение');

    await page.focus('#RecoveryWindow');
    await page.keyboard.press('Enter');
    await settled(page);
    assert.equal(await page.$eval('#SpinEdit1', (field) => field.value), '7');
    // The copy loaded as "Загрузить ход" loads a file: as the native editor shows the turn it
    // saved after the same edit.
    const nativeTurn = path.join(tmpRoot, 'native-recovered.tvk');
    reference(DEMO, 'year', 7, nativeMouse(move), 'save', nativeTurn);
    assert.equal((await canvasFingerprint(page)).fingerprint, referenceValues('window', DEMO, 'open', nativeTurn, 'window')[0]);
    assert.match(await page.title(), /^• Год7\.tvk/, 'restored edits are unsaved');

    // Saved (a download here): the turn the native editor saved, and the copy goes.
    const downloads = path.join(tmpRoot, 'downloads-recovery');
    await downloadsInto(page, downloads);
    await save(page, '#N10', 'Год7.tvk');
    assert.ok((await waitForFile(path.join(downloads, 'Год7.tvk'))).equals(fs.readFileSync(nativeTurn)));
    await settled(page);
    assert.deepEqual(await recoveryStorage(page, { caughtUp: false }), [], 'the copy goes with the save, at once');

    // An edit after the save: its copy is the world's, and undoing it takes the copy away.
    const back = [['press', 'left', to.x, to.y], ['release', 'left', from.x, from.y]];
    await mouse(page, back);
    const again = await stored();
    assert.match(again.find(([name]) => name.endsWith('.record'))[1], /^world \/worlds\/url/m);
    await withControl(page, 'KeyZ');
    assert.deepEqual(await stored(), []);
    await page.reload();
    assert.deepEqual(questions, ['beforeunload'], 'saved: a reload asks nothing');
    assert.deepEqual(page.problems, []);
    await page.close();
  });

  test('opens the demo world from file:// with a first paint under one second, in a page under 1.5 MB', async () => {
    const files = fs.readdirSync(PAGE);
    const size = files.reduce((sum, name) => sum + fs.statSync(path.join(PAGE, name)).size, 0);
    console.log(`page: ${files.length} files, ${size} bytes`);
    assert.ok(size < 1.5 * 1024 * 1024, `the page is ${size} bytes, over the budget of 1.5 MB`);

    const page = await openPage(pathToFileURL(path.join(PAGE, 'index.html')).href + '?demo');
    await worldReady(page);
    const paint = await page.evaluate(() => window.tirmagor.firstPaint);
    console.log(`first paint of the demo world from file://: ${Math.round(paint)} ms`);
    if (process.env.TIRMAGOR_SANITIZED !== '1')
      assert.ok(paint < 1000, `first paint after ${Math.round(paint)} ms, over the budget of 1 s`);
    // The demo world in the page is the native demo world, turn for turn.
    await typeYear(page, 20);
    assert.equal((await canvasFingerprint(page)).fingerprint, referenceValues('window', DEMO, 'year', 2, 'year', 20, 'window')[0]);
    assert.deepEqual(page.problems, []);
    await page.close();

    // From the first screen, by its button.
    const chosen = await openPage(pathToFileURL(path.join(PAGE, 'index.html')).href);
    await chosen.click('#DemoWorld');
    await worldReady(chosen);
    assert.equal((await canvasFingerprint(chosen)).fingerprint, referenceValues('window', DEMO, 'window')[0]);
    await chosen.close();
  });
});
