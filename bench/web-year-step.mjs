// node web-year-step.mjs CORE_DIR STARTUP_DIR EPOCH_DIR YEARS: the year step of the browser
// editor's core (the WebAssembly module of build/web/core) under node, on the benchmark's world.
// Prints the median time of one step over five rounds through every year, in seconds, after a
// round that lets the engine optimise the module.
import fs from 'node:fs';
import path from 'node:path';

import { loadCore } from '../src/web/node-core.mjs';

const [coreDir, startupDir, epochDir, yearsText] = process.argv.slice(2);
const years = Number(yearsText);
if (!coreDir || !startupDir || !epochDir || !(years > 0)) {
  console.error('usage: node web-year-step.mjs CORE_DIR STARTUP_DIR EPOCH_DIR YEARS');
  process.exit(2);
}
const core = await loadCore(coreDir);
const call = (name, ...args) => core.ccall(name, 'number', args.map((a) => typeof a === 'string' ? 'string' : 'number'), args);

// The world's files in one folder of the module's file system, where start-up reads and the
// year step finds the turn files.
core.FS.mkdir('/world');
for (const folder of [startupDir, epochDir])
  for (const name of fs.readdirSync(folder))
    if (fs.statSync(path.join(folder, name)).isFile()) core.FS.writeFile(`/world/${name}`, fs.readFileSync(path.join(folder, name)));
core.FS.chdir('/world');
if (!call('te_start', '')) {
  console.error('start-up failed: ' + core.ccall('te_take_error', 'string', [], []));
  process.exit(1);
}
call('te_resize', 1130, 806, 1146, 857);

call('te_time_year_steps', 1, years, 1);
const rounds = [];
for (let round = 0; round < 5; ++round) rounds.push(call('te_time_year_steps', 1, years, 1));
const error = core.ccall('te_take_error', 'string', [], []);
if (error) {
  console.error('a year step failed: ' + error);
  process.exit(1);
}
rounds.sort((a, b) => a - b);
console.log((rounds[2] / 1000).toPrecision(6));
