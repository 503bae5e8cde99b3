// node pack-page.mjs CORE_DIR PAGE_DIR: puts the editor's core into the page, packed for a page
// that works from file://, where a browser fetches no file but a script:
//   tirmagor-core.js       the module's JavaScript, as emscripten wrote it
//   tirmagor-core-wasm.js  its WebAssembly, gzip-compressed, in base64 (window.TirmagorCoreWasm)
//   demo-world.js          the demo world (window.TirmagorDemoWorld), each file as above
// The page unpacks them with the browser's DecompressionStream. The demo world is written by
// the editor's own demo generator, in that same module, run here under node. The map picture, 10 MB as a 24-bit BMP of 63
// colours, is packed as the same pixels in an 8-bit run-length BMP first: a few hundred
// kilobytes, which the page unpacks and the editor reads in a fraction of the time.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

import { loadCore } from './node-core.mjs';

const [coreDir, pageDir] = process.argv.slice(2);
if (!coreDir || !pageDir) {
  console.error('usage: node pack-page.mjs CORE_DIR PAGE_DIR');
  process.exit(2);
}
const pack = (bytes) => zlib.gzipSync(bytes, { level: 9 }).toString('base64');
fs.mkdirSync(pageDir, { recursive: true });
fs.copyFileSync(path.join(coreDir, 'tirmagor-core.js'), path.join(pageDir, 'tirmagor-core.js'));
fs.writeFileSync(path.join(pageDir, 'tirmagor-core-wasm.js'),
  '// The editor\'s core in WebAssembly, gzip-compressed, in base64.\n' +
  `window.TirmagorCoreWasm = '${pack(fs.readFileSync(path.join(coreDir, 'tirmagor-core.wasm')))}';\n`);


const core = await loadCore(coreDir);
const folder = '/demo';
if (!core.ccall('te_write_demo_world', 'number', ['string'], [folder])) {
  console.error('pack-demo: ' + core.ccall('te_take_error', 'string', [], []));
  process.exit(1);
}
// The same pixels as an 8-bit BMP with run-length rows (BI_RLE8), when the picture is a plain
// 24-bit one of at most 256 colours; otherwise the picture as it is.
function runLengthBmp(bmp) {
  const u32 = (at) => bmp.readUInt32LE(at);
  const width = bmp.readInt32LE(18), height = bmp.readInt32LE(22);
  if (bmp.toString('latin1', 0, 2) !== 'BM' || u32(14) !== 40 || bmp.readUInt16LE(28) !== 24 || u32(30) !== 0 ||
      width <= 0 || height <= 0) return bmp;
  const offset = u32(10), rowBytes = (width * 3 + 3) & ~3;
  const palette = new Map();
  const data = [];
  for (let y = 0; y < height; ++y) {  // bottom-up, as the picture is stored
    const row = offset + y * rowBytes;
    let x = 0;
    while (x < width) {
      const colour = bmp.readUIntLE(row + 3 * x, 3);
      let run = 1;
      while (x + run < width && run < 255 && bmp.readUIntLE(row + 3 * (x + run), 3) === colour) ++run;
      if (!palette.has(colour)) palette.set(colour, palette.size);
      if (palette.size > 256) return bmp;
      data.push(run, palette.get(colour));
      x += run;
    }
    data.push(0, 0);  // end of line
  }
  data.push(0, 1);  // end of picture
  const headerBytes = 14 + 40 + 4 * palette.size;
  const out = Buffer.alloc(headerBytes + data.length);
  out.write('BM', 0, 'latin1');
  out.writeUInt32LE(out.length, 2);
  out.writeUInt32LE(headerBytes, 10);
  out.writeUInt32LE(40, 14);
  out.writeInt32LE(width, 18);
  out.writeInt32LE(height, 22);
  out.writeUInt16LE(1, 26);
  out.writeUInt16LE(8, 28);
  out.writeUInt32LE(1, 30);  // BI_RLE8
  out.writeUInt32LE(data.length, 34);
  out.writeUInt32LE(bmp.readUInt32LE(38), 38);
  out.writeUInt32LE(bmp.readUInt32LE(42), 42);
  out.writeUInt32LE(palette.size, 46);
  for (const [colour, index] of palette) out.writeUInt32LE(colour, 54 + 4 * index);  // blue, green, red, 0
  Buffer.from(data).copy(out, headerBytes);
  return out;
}

const files = {};
for (const name of core.FS.readdir(folder).sort()) {
  if (name === '.' || name === '..') continue;
  let bytes = Buffer.from(core.FS.readFile(`${folder}/${name}`));
  if (name === 'map.bmp') bytes = runLengthBmp(bytes);
  files[name] = pack(bytes);
}
fs.writeFileSync(path.join(pageDir, 'demo-world.js'),
  '// The demo world, made by the editor\'s demo generator when the page was built: each file\n' +
  '// gzip-compressed, in base64. Loaded by the page when "Демо-мир" is chosen.\n' +
  `window.TirmagorDemoWorld = ${JSON.stringify(files, null, 0)};\n`);
