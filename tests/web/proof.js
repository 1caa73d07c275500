// The browser proof: the page of make web, served as make web-run serves it,
// played in Debian's chromium, headless, as a player would (mouse, touch,
// keys, the page's links), against the desktop build's snapshot tool and
// save reader.
//   node tests/web/proof.js DIST BUILD     (NODE_PATH: playwright-core)
// Frames are compared as the desktop's 16-bit screen holds them: each channel
// of the page's 8-bit canvas cut to 5 or 6 bits, against the snapshot tool's
// RGB565 values. Opaque pixels agree exactly. The browser blends in 8 bits
// where that screen rounds after every layer, so the shadows and sprite edges
// may end one step off, and where three translucent layers meet (the banner's
// edge over the frame's shadow) two: no channel may be further off, and at
// most one in a thousand two steps.
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const B = require('./browser');

const [DIST, BUILD] = process.argv.slice(2).map((p) => path.resolve(p));
const SNAPSHOT = path.join(BUILD, 'tools/snapshot/snapshot');
const SAVEDUMP = path.join(BUILD, 'tools/savedump/savedump');
const WORK = fs.mkdtempSync(path.join(os.tmpdir(), 'tombslide-web-'));
const started = Date.now();
let checks = 0;
const errors = [];

function fail(msg) {
  throw new Error(msg);
}
function check(ok, msg) {
  checks++;
  if (!ok) fail(msg);
}

// --- Reference frames and saves from the desktop build.

// A PNG of the snapshot tool: 8-bit RGB, filter 0 on every row.
function readSnapshotPng(file) {
  const b = fs.readFileSync(file);
  const idat = [];
  let w = 0;
  for (let i = 8; i < b.length;) {
    const len = b.readUInt32BE(i), type = b.toString('ascii', i + 4, i + 8);
    if (type === 'IHDR') w = b.readUInt32BE(i + 8);
    if (type === 'IDAT') idat.push(b.subarray(i + 8, i + 8 + len));
    i += 12 + len;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const rgb = [];
  for (let y = 0; y < 240; y++)
    for (let x = 0; x < w * 3; x++) rgb.push(raw[y * (w * 3 + 1) + 1 + x]);
  return rgb;
}
let shots = 0;
function snapshot(...args) {
  const out = path.join(WORK, `snap${shots++}.png`);
  execFileSync(SNAPSHOT, [args[0], out, ...args.slice(1)], { stdio: 'ignore' });
  return readSnapshotPng(out);
}

// Channels of a canvas frame off the snapshot's by one RGB565 step, by two,
// and by more.
function frameOff(rgba, rgb) {
  let off = 0, two = 0, far = 0;
  for (let p = 0; p < 320 * 240; p++)
    for (let c = 0; c < 3; c++) {
      const bits = c === 1 ? 6 : 5, top = (1 << bits) - 1;
      const want = Math.round(rgb[p * 3 + c] * top / 255); // the snapshot's value, narrowed back
      const d = Math.abs((rgba[p * 4 + c] >> (8 - bits)) - want);
      if (d === 1) off++;
      if (d === 2) two++;
      if (d > 2) far++;
    }
  return { off, two, far, all: off + two + far };
}
async function expectFrame(page, what, ...args) {
  const r = frameOff(await B.pixels(page), snapshot(...args));
  check(r.far === 0 && r.two <= 230, `${what}: ${r.two} channels two RGB565 steps off the snapshot ` +
    `and ${r.far} further (${args.join(' ')})`);
  return r;
}
const savedump = (...args) => execFileSync(SAVEDUMP, args, { encoding: 'utf8' });
// A save as savedump reads it, on one line, its size left out.
const saveLine = (file) => savedump(file).split('\n').filter((l) => l && !l.startsWith('size ')).join(' ');
const freshBoard = (room) => savedump('--stage', String(room)).trim().split('\n').join(' ');

// --- The page.

const game = (page, fn) => page.evaluate(`Module._${fn}()`);
const line = (page) => page.evaluate(() => document.getElementById('line').textContent);

async function open(context, url) {
  const page = await context.newPage();
  page.on('console', (m) => { if (m.type() === 'error') errors.push(`console: ${m.text()}`); });
  page.on('pageerror', (e) => errors.push(`page: ${e.message}`));
  await page.goto(url);
  await B.waitTicks(page, 1, 0);
  return page;
}
async function reload(page) {
  await page.reload();
  await B.waitTicks(page, 1, 0);
}

// The pen: a mouse, or one finger through the browser's touch input.
function mousePen(page) {
  return {
    down: (x, y) => page.mouse.move(x, y).then(() => page.mouse.down()),
    move: (x, y) => page.mouse.move(x, y),
    up: () => page.mouse.up(),
  };
}
async function touchPen(page) {
  const cdp = await page.context().newCDPSession(page);
  let at = null;
  const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
  return {
    down: (x, y) => { at = { x, y, id: 1 }; return touch('touchStart', [at]); },
    move: (x, y) => { at = { x, y, id: 1 }; return touch('touchMove', [at]); },
    up: () => touch('touchEnd', []),
    // A second finger put down at (x, y) and lifted while the first holds.
    second: async (x, y) => {
      await touch('touchStart', [at, { x, y, id: 2 }]);
      await touch('touchMove', [at, { x: x + 20, y, id: 2 }]);
      await touch('touchEnd', [at]);
    },
  };
}

// Page coordinates of a screen point, and of a board cell's centre.
async function toPage(page, x, y) {
  const b = await B.pictureBox(page);
  return [b.x + (x + 0.5) * b.w / 320, b.y + (y + 0.5) * b.h / 240];
}
const centre = (cell) => 45 + 30 * cell;

// Drags the block under cell (c1, r1) to cell (c2, r2) one cell at a time,
// letting two ticks pass after each (a block steps once per motion and per
// tick), then lifts the pen.
async function drag(page, pen, c1, r1, c2, r2) {
  await pen.down(...await toPage(page, centre(c1), centre(r1)));
  await B.waitTicks(page, 1);
  const n = Math.max(Math.abs(c2 - c1), Math.abs(r2 - r1));
  for (let i = 1; i <= n; i++) {
    const c = c1 + Math.sign(c2 - c1) * i, r = r1 + Math.sign(r2 - r1) * i;
    await pen.move(...await toPage(page, centre(c), centre(r)));
    await B.waitTicks(page, 2);
  }
  await pen.up();
  await B.waitTicks(page, 1);
}
async function tap(page, pen, x, y) {
  await pen.down(...await toPage(page, x, y));
  await pen.up();
  await B.waitTicks(page, 2);
}
async function key(page, name, ticksAfter = 2) {
  await page.keyboard.press(name);
  await B.waitTicks(page, ticksAfter);
}

// Stage 1 in its seven moves, to the Stage Clear banner; then a tap goes on.
const STAGE1 = [[0, 5, 3, 5], [2, 4, 2, 5], [0, 2, 3, 2], [2, 3, 2, 2], [3, 5, 0, 5], [5, 0, 5, 3],
  [3, 2, 8, 2]];
async function solveStage1(page, pen, how) {
  const before = await page.evaluate(() => window.soundsPlayed);
  for (const m of STAGE1) {
    await drag(page, pen, ...m);
    check(await page.evaluate(() => Module.audioContext().state) === 'running', `${how}: no sound after a drag`);
  }
  check(await game(page, 'WebMoves') === 7, `${how}: stage 1 was not cleared in 7 moves`);
  await expectFrame(page, `${how}: the Stage Clear banner`, '1', '--clear', '--moves', '7', '--at', '1,5,3');
  const played = await page.evaluate(() => window.soundsPlayed) - before;
  check(played >= 7, `${how}: ${played} step sounds for stage 1's moves`);
  await tap(page, pen, 160, 120);
  check(await game(page, 'WebStage') === 1, `${how}: a tap did not go on to stage 2`);
  await expectFrame(page, `${how}: stage 2`, '2');
}

// Counts the sounds the page starts (the step sound, through Web Audio), and
// stands a gamepad in for the browser's: press(i, down) sets its button i (the
// browser's standard numbering).
const COUNT_SOUNDS = () => {
  const pad = { index: 0, id: 'pad', connected: true, mapping: 'standard', timestamp: 0, axes: [], buttons: [] };
  for (let i = 0; i < 17; i++) pad.buttons.push({ pressed: false });
  navigator.getGamepads = () => [pad];
  window.pressPad = (i, down) => {
    pad.buttons[i] = { pressed: down };
    window.dispatchEvent(new Event('gamepadconnected'));
  };
  window.soundsPlayed = 0;
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    window.soundsPlayed++;
    return start.apply(this, args);
  };
};

async function desktop(browser, url) {
  const context = await browser.newContext({ viewport: { width: 1920, height: 1080 }, acceptDownloads: true });
  await context.addInitScript(COUNT_SOUNDS);
  const page = await open(context, url);
  const box = await B.pictureBox(page);
  check(box.w === 1280 && box.h === 960 && box.scaling === 'pixelated' && box.x >= 0 && box.y >= 0 && box.x + box.w <= box.vw &&
    box.y + box.h <= box.vh, `1920x1080: the picture is not whole at scale 4: ${JSON.stringify(box)}`);
  const first = await expectFrame(page, 'the first frame', '1');
  console.log(`first frame: of 230400 channels ${first.off} one RGB565 step off the snapshot's, ` +
    `${first.two} two, none further`);

  const mouse = mousePen(page);
  await solveStage1(page, mouse, 'mouse');

  // The keys act as on the desktop, and a gamepad's shoulders as L and R.
  for (const [k, stage] of [['ArrowRight', 2], ['PageDown', 3], ['PageUp', 2], ['ArrowLeft', 1]]) {
    await key(page, k);
    check(await game(page, 'WebStage') === stage, `${k} did not lead to stage index ${stage}`);
  }
  for (const [button, stage] of [[5, 2], [4, 1]]) {
    await page.evaluate((b) => window.pressPad(b, true), button);
    await B.waitTicks(page, 2);
    await page.evaluate((b) => window.pressPad(b, false), button);
    await B.waitTicks(page, 2);
    check(await game(page, 'WebStage') === stage, `gamepad button ${button} did not lead to stage index ${stage}`);
  }
  await drag(page, mouse, 5, 2, 5, 0);
  check(await game(page, 'WebMoves') === 1, 'the drag on stage 2 counted no move');
  await key(page, 'Backspace');
  check(await game(page, 'WebMoves') === 0, 'Backspace did not restart the stage');
  await expectFrame(page, 'stage 2 restarted', '2');
  await page.keyboard.press('h');
  await page.waitForFunction(() => Module._WebMoves() === 1, null, { timeout: 30000 });
  await B.waitTicks(page, 2);
  check(frameOff(await B.pixels(page), snapshot('2')).far > 1000, 'the hint moved nothing');
  await key(page, 'u');
  check(await game(page, 'WebMoves') === 0, 'U did not take the hint back');
  await expectFrame(page, 'stage 2 after U', '2');
  await drag(page, mouse, 5, 2, 5, 0);
  await key(page, 'Control+z');
  check(await game(page, 'WebMoves') === 0, 'Ctrl+Z did not take the drag back');
  await expectFrame(page, 'stage 2 after Ctrl+Z', '2');

  // The save goes out as the desktop's save.dat.
  const download = async (name) => {
    const [d] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
    const file = path.join(WORK, name);
    await d.saveAs(file);
    return file;
  };
  const saved = await download('save.dat');
  const expected = `read board stage 1 moves 0 score 0 ${freshBoard(2)} cleared 0 best 0:7 extension no`;
  check(fs.statSync(saved).size === 534 + 5 * 11, 'the downloaded save is not 589 bytes');
  check(saveLine(saved) === expected, `the downloaded save reads ${saveLine(saved)}`);

  // A damaged save is refused and the progress kept; a good one is taken.
  // Its progress can be read, its board not: the first block (the record
  // after the ten bytes of stage, moves, count and score) of no known kind.
  const damaged = path.join(WORK, 'damaged.dat');
  const bytes = fs.readFileSync(saved);
  bytes[10 + 4] = 9;
  fs.writeFileSync(damaged, bytes);
  check(savedump(damaged).includes('read progress'), 'the damaged save is not one of progress alone');
  await key(page, 'ArrowRight');
  await page.setInputFiles('#load', damaged);
  await page.waitForFunction(() => /is not a save/.test(document.getElementById('line').textContent));
  check(await game(page, 'WebStage') === 2, 'a damaged save changed the stage');
  const kept = await download('after-damaged.dat');
  check(saveLine(kept) === `read board stage 2 moves 0 score 0 ${freshBoard(3)} cleared 0 best 0:7 extension no`,
    `the progress was not kept after a damaged save: ${saveLine(kept)}`);
  await page.setInputFiles('#load', saved);
  await page.waitForFunction(() => /Loaded save.dat/.test(document.getElementById('line').textContent));
  check(await game(page, 'WebStage') === 1, 'the good save was not loaded');
  await B.waitTicks(page, 2);
  await expectFrame(page, 'stage 2 from the loaded save', '2');

  // A reload resumes the board.
  await drag(page, mouse, 5, 2, 5, 0);
  const left = await B.pixels(page);
  await reload(page);
  await B.waitTicks(page, 1);
  check(await game(page, 'WebMoves') === 1 && await game(page, 'WebStage') === 1,
    'the reload did not resume stage 2 with its move');
  const again = await B.pixels(page);
  check(again.every((v, i) => v === left[i]), 'the reload did not resume the board as left');

  // Offline, a second visit plays, with its progress.
  await page.evaluate(() => navigator.serviceWorker.ready);
  await context.setOffline(true);
  await reload(page);
  check(await game(page, 'WebMoves') === 1, 'offline, the second visit lost the progress');
  await drag(page, mouse, 5, 0, 5, 2);
  check(await game(page, 'WebMoves') === 2, 'offline, the second visit does not play');
  await context.setOffline(false);

  // Quit: the game saves and says it has ended; play again resumes.
  await mouse.down(...await toPage(page, 238, 225));
  await mouse.up();
  await page.waitForSelector('#ended:not([hidden])');
  check(/progress is saved/.test(await page.textContent('#endedText')), 'the end does not say it saved');
  await page.click('#again');
  await B.waitTicks(page, 1, 0);
  check(await game(page, 'WebMoves') === 2, 'play again did not resume the board quit');
  await page.evaluate(() => window.pressPad(16, true)); // Home
  await page.waitForSelector('#ended:not([hidden])');
  await page.click('#again');
  await B.waitTicks(page, 1, 0);
  await page.keyboard.press('Escape');
  await page.waitForSelector('#ended:not([hidden])');

  // A damaged save in the browser's storage: the game starts afresh, and the
  // damaged file is kept apart and offered, never lost to the next save.
  await page.evaluate((b) => new Promise((done, fail) => {
    const req = indexedDB.open('tombslide', 1);
    req.onsuccess = () => {
      const tx = req.result.transaction('files', 'readwrite');
      tx.objectStore('files').put(new Uint8Array(b), 'save.dat');
      tx.oncomplete = () => { req.result.close(); done(); };
      tx.onerror = () => fail(tx.error);
    };
    req.onerror = () => fail(req.error);
  }), [...bytes]);
  await reload(page);
  check(/Unable to load save.dat/.test(await line(page)), 'a damaged stored save was not said');
  await page.waitForSelector('#badsave');
  const [bad] = await Promise.all([page.waitForEvent('download'), page.click('#badsave')]);
  const badFile = path.join(WORK, 'save.dat.bad');
  await bad.saveAs(badFile);
  check(fs.readFileSync(badFile).equals(bytes), 'the offered damaged save is not the one stored');
  const keys = await page.evaluate(() => new Promise((done) => {
    const req = indexedDB.open('tombslide', 1);
    req.onsuccess = () => {
      const all = req.result.transaction('files').objectStore('files').getAllKeys();
      all.onsuccess = () => { req.result.close(); done(all.result); };
    };
  }));
  check(keys.some((k) => /^save\.dat\.bad\./.test(k)), `the damaged save was not kept in storage: ${keys}`);
  await context.close();
}

async function phone(browser, url) {
  const context = await browser.newContext({ viewport: { width: 360, height: 740 }, isMobile: true,
    hasTouch: true, deviceScaleFactor: 1 });
  await context.addInitScript(COUNT_SOUNDS);
  const page = await open(context, url);
  const box = await B.pictureBox(page);
  check(box.w === 320 && box.h === 240 && box.scaling === 'pixelated' && box.x >= 0 && box.y >= 0 && box.x + box.w <= box.vw &&
    box.y + box.h <= box.vh, `360x740: the picture is not whole at scale 1: ${JSON.stringify(box)}`);
  const pen = await touchPen(page);
  // A second finger on the quit button while the first holds a block is
  // ignored.
  await pen.down(...await toPage(page, centre(0), centre(5)));
  await pen.second(...await toPage(page, 238, 225));
  await pen.up();
  await B.waitTicks(page, 2);
  check(!(await page.isVisible('#ended')), 'a second finger acted');
  await solveStage1(page, pen, 'touch');
  await context.close();
}

// Without storage the game plays and says progress is not kept; without
// WebAssembly the page says so.
async function missing(browser, url) {
  let context = await browser.newContext();
  await context.addInitScript(() => { Object.defineProperty(window, 'indexedDB', { value: undefined }); });
  let page = await open(context, url);
  check(/progress will not be kept/.test(await line(page)), 'no line about the missing storage');
  await context.close();
  context = await browser.newContext();
  await context.addInitScript(() => { delete window.WebAssembly; });
  page = await context.newPage();
  page.on('pageerror', (e) => errors.push(`page: ${e.message}`));
  await page.goto(url);
  await page.waitForFunction(() => /cannot run WebAssembly/.test(document.getElementById('line').textContent));
  await context.close();
}

(async () => {
  const server = await B.serve(DIST);
  const browser = await B.launch();
  try {
    await desktop(browser, server.url);
    await phone(browser, server.url);
    await missing(browser, server.url);
    check(errors.length === 0, `the page logged errors:\n${errors.join('\n')}`);
    console.log(`web proof passed: ${checks} checks in ${Math.round((Date.now() - started) / 1000)} s`);
  } finally {
    await browser.close();
    server.stop();
    fs.rmSync(WORK, { recursive: true, force: true });
  }
})().catch((e) => {
  console.error(`web proof FAILED: ${e.message}`);
  if (errors.length) console.error(errors.join('\n'));
  process.exit(1);
});
