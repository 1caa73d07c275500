// The page's benchmark (make bench-web), not a test: it measures and prints,
// and checks nothing. Served as make web-run serves it, in Debian's chromium,
// headless, on this machine:
//   - the size of the page's files together;
//   - the first frame: from the start of the page's loading to the game's
//     first tick, on a first visit (nothing cached) and on a second one;
//   - a tick's main-thread time: the pass of the event loop that runs the
//     tick, timed between the loop's own hooks around it, for idle ticks,
//     a block's steps, a stage's start, the Stage Clear banner and a hint;
//   - the game left alone: the browser's processes' CPU time over 10 s, and
//     the page's main-thread busy time (DevTools' TaskDuration); beside it,
//     for reference, the same browser showing a bare page that only repaints
//     a 320x240 canvas at the game's size ten times a second.
//   node bench/web.js DIST      (NODE_PATH: playwright-core)
'use strict';
const fs = require('fs');
const path = require('path');
const B = require('../tests/web/browser');

const DIST = path.resolve(process.argv[2]);
const median = (a) => [...a].sort((x, y) => x - y)[Math.floor(a.length / 2)];
const ms = (v) => `${v.toFixed(2)} ms`;

// CPU time (clock ticks) of this program's child processes and theirs: the
// browser and its helpers.
function browserCpu() {
  const parent = new Map(), cpu = new Map();
  for (const pid of fs.readdirSync('/proc').filter((d) => /^\d+$/.test(d))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      const f = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parent.set(pid, f[1]);
      cpu.set(pid, Number(f[11]) + Number(f[12]));
    } catch (e) { /* ended meanwhile */ }
  }
  const ours = (pid) => {
    for (let p = pid; p && p !== '0' && p !== '1'; p = parent.get(p))
      if (p === String(process.pid)) return true;
    return false;
  };
  let total = 0;
  for (const [pid, t] of cpu) if (pid !== String(process.pid) && ours(pid)) total += t;
  return total;
}
const CLK_TCK = 100;

// Times every pass of the event loop that ran a tick, by kind of tick.
const TIME_TICKS = () => {
  const times = [];
  let t0 = 0, before = 0;
  const pre = Module.preMainLoop;
  Module.preMainLoop = () => {
    before = Module._WebTicks();
    t0 = performance.now();
    if (pre) pre();
  };
  Module.postMainLoop = () => {
    const dt = performance.now() - t0;
    if (Module._WebTicks() !== before) times.push(dt);
  };
  window.tickTimes = times;
};
const takeTimes = (page) => page.evaluate(() => window.tickTimes.splice(0));

async function firstFrame(browser, url, context) {
  const page = await context.newPage();
  await page.goto(url);
  await page.waitForFunction(() => window.Module && Module.calledRun && Module._WebTicks() > 0,
    null, { polling: 'raf', timeout: 30000 });
  const t = await page.evaluate(() => performance.now());
  return { page, t };
}

async function drag(page, c1, r1, c2, r2) {
  const at = async (c, r) => {
    const b = await B.pictureBox(page);
    return [b.x + (45 + 30 * c) * b.w / 320, b.y + (45 + 30 * r) * b.h / 240];
  };
  await page.mouse.move(...await at(c1, r1));
  await page.mouse.down();
  const n = Math.max(Math.abs(c2 - c1), Math.abs(r2 - r1));
  for (let i = 1; i <= n; i++) {
    await page.mouse.move(...await at(c1 + Math.sign(c2 - c1) * i, r1 + Math.sign(r2 - r1) * i));
    await B.waitTicks(page, 2);
  }
  await page.mouse.up();
  await B.waitTicks(page, 1);
}

(async () => {
  const files = fs.readdirSync(DIST);
  const size = files.reduce((s, f) => s + fs.statSync(path.join(DIST, f)).size, 0);
  console.log(`page files: ${files.length}, ${size} bytes (${(size / 1048576).toFixed(2)} MiB)`);

  const server = await B.serve(DIST);
  // Each idle figure from a browser of its own, which has shown nothing else.
  const idleCpu = async (show) => {
    const own = await B.launch();
    const page = await (await own.newContext({ viewport: { width: 1920, height: 1080 } })).newPage();
    await show(page);
    await page.waitForTimeout(3000);
    const cpu0 = browserCpu(), t0 = Date.now();
    await page.waitForTimeout(10000);
    const share = (browserCpu() - cpu0) / CLK_TCK / ((Date.now() - t0) / 1000);
    await own.close();
    return `${(100 * share).toFixed(1)} % of a core`;
  };
  console.log(`idle, the browser's processes: ${await idleCpu((page) => page.goto(server.url))}`);
  const bare = await idleCpu((page) => page.setContent(`<body style="margin:0;background:#000">
    <canvas id="c" width="320" height="240" style="width:1280px;height:960px;image-rendering:pixelated">
    </canvas><script>const g = c.getContext('2d'); let n = 0;
    setInterval(() => { g.fillStyle = n++ % 2 ? '#123' : '#321'; g.fillRect(229, 6, 39, 13); }, 100);
    </script></body>`));
  console.log(`reference, a bare page repainting a 320x240 canvas at 1280x960 ten times a second: ${bare}`);

  const browser = await B.launch();
  try {
    const cold = [], warm = [];
    for (let i = 0; i < 5; i++) {
      const context = await browser.newContext({ viewport: { width: 1920, height: 1080 } });
      const a = await firstFrame(browser, server.url, context);
      cold.push(a.t);
      await a.page.evaluate(() => navigator.serviceWorker.ready);
      await a.page.close();
      const b = await firstFrame(browser, server.url, context);
      warm.push(b.t);
      await context.close();
    }
    console.log(`first frame, first visit: median ${ms(median(cold))}, worst ${ms(Math.max(...cold))} (5 runs)`);
    console.log(`first frame, second visit: median ${ms(median(warm))}, worst ${ms(Math.max(...warm))}`);

    const context = await browser.newContext({ viewport: { width: 1920, height: 1080 } });
    const { page } = await firstFrame(browser, server.url, context);
    await page.evaluate(TIME_TICKS);
    await page.waitForTimeout(3000);
    await takeTimes(page);
    const cdp = await context.newCDPSession(page);
    await cdp.send('Performance.enable');
    const busy = async () => (await cdp.send('Performance.getMetrics')).metrics
      .find((m) => m.name === 'TaskDuration').value;
    const busy0 = await busy(), t0 = Date.now();
    await page.waitForTimeout(10000);
    const main = ((await busy()) - busy0) / ((Date.now() - t0) / 1000);
    const idle = await takeTimes(page);
    console.log(`idle, the page's main thread busy: ${(100 * main).toFixed(1)} %; its ` +
      `${idle.length} ticks: median ${ms(median(idle))}, worst ${ms(Math.max(...idle))}`);

    for (const m of [[0, 5, 3, 5], [2, 4, 2, 5], [0, 2, 3, 2], [2, 3, 2, 2], [3, 5, 0, 5], [5, 0, 5, 3]])
      await drag(page, ...m);
    const steps = await takeTimes(page);
    console.log(`ticks while dragging (steps): ${steps.length}, median ${ms(median(steps))}, worst ${ms(Math.max(...steps))}`);
    await drag(page, 3, 2, 8, 2);
    await B.waitTicks(page, 3);
    const banner = await takeTimes(page);
    console.log(`ticks of the clear, its banner first: worst ${ms(Math.max(...banner))}`);
    const starts = [];
    for (const k of ['ArrowRight', 'ArrowRight', 'ArrowLeft', 'Backspace', 'ArrowLeft']) {
      await page.keyboard.press(k);
      await B.waitTicks(page, 2);
      starts.push(Math.max(...await takeTimes(page)));
    }
    console.log(`a stage's start and its first tick: median ${ms(median(starts))}, worst ${ms(Math.max(...starts))}`);
    for (const stage of [1, 2]) {
      await page.keyboard.press('h');
      await page.waitForFunction(() => Module._WebMoves() === 1, null, { timeout: 60000 });
      await B.waitTicks(page, 2);
      console.log(`hint on stage ${stage} (its search and slide): worst tick ${ms(Math.max(...await takeTimes(page)))}`);
      await page.keyboard.press('ArrowRight');
      await B.waitTicks(page, 2);
      await takeTimes(page);
    }
    await context.close();
  } finally {
    await browser.close();
    server.stop();
  }
})().catch((e) => {
  console.error(`bench-web: ${e.message}`);
  process.exit(1);
});
