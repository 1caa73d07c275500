// Shared by the browser proof and the browser benchmark: the page's server
// (platform/web/serve.sh, as make web-run runs it), Debian's chromium driven
// headless through playwright-core, and reading the game off the page.
'use strict';
const { spawn } = require('child_process');
const path = require('path');
const { chromium } = require('playwright-core');

const ROOT = path.resolve(__dirname, '..', '..');

// Starts the server on a free port; resolves to { url, stop }.
function serve(dir) {
  return new Promise((resolve, reject) => {
    const child = spawn('bash', [path.join(ROOT, 'platform/web/serve.sh'), dir, '0'],
      { stdio: ['ignore', 'pipe', 'pipe'] });
    let out = '';
    const onData = (d) => {
      out += d;
      const m = /port (\d+)/.exec(out);
      if (m) {
        child.stdout.off('data', onData);
        child.stdout.resume();
        child.stderr.resume();
        resolve({ url: `http://127.0.0.1:${m[1]}/`, stop: () => child.kill() });
      }
    };
    child.stdout.on('data', onData);
    child.stderr.on('data', (d) => { out += d; });
    child.on('exit', (code) => reject(new Error(`the server ended (${code}): ${out}`)));
  });
}

// Debian's chromium, headless, with nothing of its own on the network; a
// profile of its own, removed when it closes.
function launch() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}

// Ticks the game has run (its first tick draws the first frame); 0 until the
// game's runtime has started.
const ticks = (page) => page.evaluate(() => (window.Module && Module.calledRun ? Module._WebTicks() : 0));

// Waits until the game has run n ticks more than `from` (default: now).
async function waitTicks(page, n, from) {
  const start = from === undefined ? await ticks(page) : from;
  await page.waitForFunction((t) => window.Module && Module.calledRun && Module._WebTicks() >= t,
    start + n, { polling: 'raf', timeout: 30000 });
}

// The canvas's 320x240 pixels, RGBA.
function pixels(page) {
  return page.evaluate(() => Array.from(
    document.getElementById('canvas').getContext('2d').getImageData(0, 0, 320, 240).data));
}

// Where the picture stands on the page, in CSS pixels, and how it is scaled.
function pictureBox(page) {
  return page.evaluate(() => {
    const c = document.getElementById('canvas'), r = c.getBoundingClientRect();
    return { x: r.left, y: r.top, w: r.width, h: r.height, vw: innerWidth, vh: innerHeight,
      scaling: getComputedStyle(c).imageRendering };
  });
}

module.exports = { serve, launch, ticks, waitTicks, pixels, pictureBox };
