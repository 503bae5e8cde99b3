// The editor's core (build/web/core) under node, for the build's packing and the benchmark.
// Node's fetch takes no file names, so the module is handed its WebAssembly.
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

export async function loadCore(coreDir) {
  const TirmagorCore = createRequire(import.meta.url)(path.resolve(coreDir, 'tirmagor-core.js'));
  const wasm = fs.readFileSync(path.join(coreDir, 'tirmagor-core.wasm'));
  return TirmagorCore({
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(wasm, imports).then((result) => receive(result.instance, result.module));
      return {};
    },
  });
}
