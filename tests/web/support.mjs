// What the browser tests and the README's screenshots share: Debian's Chromium launched
// headless by puppeteer-core with a fresh profile and no traffic of its own, and a static server
// on 127.0.0.1.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

export const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

// The browser, with its profile in `profileDir`. Without the background-networking flags Chromium
// keeps trying to reach hosts a closed network refuses.
export function launchBrowser(profileDir) {
  return puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      `--user-data-dir=${profileDir}`],
  });
}

// Runs `use` with a browser on a profile of its own, then closes it and removes the profile.
export async function withBrowser(use) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tirmagor-shot-'));
  let browser;
  try {
    browser = await launchBrowser(profile);
    return await use(browser);
  } finally {
    if (browser) await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

// Serves folders on 127.0.0.1 at a free port: `roots` names a folder for each first segment of
// the path, '' for the rest; a path ending in '/' gives its index.html. Nothing outside them.
export function serve(roots) {
  const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8', '.png': 'image/png' };
  const server = http.createServer((request, response) => {
    const pathname = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const [, first, ...rest] = pathname.split('/');
    const [root, relative] = first in roots && first !== '' ? [roots[first], rest.join('/')] : [roots[''], pathname];
    let file = root && path.join(root, path.normalize('/' + relative));
    if (file && pathname.endsWith('/')) file = path.join(file, 'index.html');
    fs.readFile(file || '', (error, data) => {
      if (error) {
        response.writeHead(404);
        return response.end();
      }
      response.writeHead(200, { 'content-type': types[path.extname(file)] || 'application/octet-stream' });
      response.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}
