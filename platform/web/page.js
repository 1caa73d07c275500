// The page around the game: the picture's size, the pen, keys and gamepad
// handed to the game (web.cpp), the sound's unlock, save.dat kept in the
// browser's IndexedDB and moved in and out as a file, the game's end, and
// the lines the page shows when something is missing.
'use strict';

(function () {
  const canvas = document.getElementById('canvas');
  const bar = document.getElementById('bar');
  const line = document.getElementById('line');
  const GAME_DIR = '/tombslide';
  const SAVE = GAME_DIR + '/save.dat';
  const W = 320, H = 240;

  const notes = [];
  function say(text) {
    notes.push(text);
    line.textContent = notes.slice(-2).join(' ');
    layout();
  }

  // --- The picture: the largest whole-number scale that fits above the bar,
  // centred on whole device pixels; smaller than 320x240 it shrinks smoothly.
  function layout() {
    const w = window.innerWidth, h = window.innerHeight - bar.offsetHeight;
    const fit = Math.min(w / W, h / H);
    const scale = fit >= 1 ? Math.floor(fit) : Math.max(fit, 0.1);
    const dpr = window.devicePixelRatio || 1;
    const snap = (v) => Math.round(v * dpr) / dpr;
    const root = document.documentElement.style;
    root.setProperty('--w', W * scale + 'px');
    root.setProperty('--h', H * scale + 'px');
    root.setProperty('--x', snap((w - W * scale) / 2) + 'px');
    root.setProperty('--y', snap(Math.max(0, (h - H * scale) / 2)) + 'px');
    canvas.classList.toggle('smooth', fit < 1);
  }
  window.addEventListener('resize', layout);
  window.addEventListener('orientationchange', layout);
  if (window.visualViewport) window.visualViewport.addEventListener('resize', layout);
  layout();

  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    say('This browser cannot run WebAssembly, which Tomb Slide needs.');
    return;
  }

  const game = () => (window.Module && Module.running ? Module : null);

  // --- The picture the game draws goes to a canvas of its own, off the page,
  // and the page's canvas takes it after each pass that may have drawn. Left
  // alone, the game draws the same frame ten times a second, and presenting
  // it again each time would cost the browser more than the whole game does:
  // then the frame is compared with the one shown and taken only if changed.
  const screen = document.createElement('canvas');
  screen.width = W;
  screen.height = H;
  const screenCtx = screen.getContext('2d', { willReadFrequently: true });
  const shownCtx = canvas.getContext('2d');
  let shown = null;
  function present(idle) {
    if (!idle) { // while played, frames change: no comparing
      shownCtx.drawImage(screen, 0, 0);
      shown = null;
      return;
    }
    const frame = screenCtx.getImageData(0, 0, W, H);
    if (shown) {
      const a = new Uint32Array(frame.data.buffer), b = new Uint32Array(shown.data.buffer);
      let i = 0;
      while (i < a.length && a[i] === b[i]) i++;
      if (i === a.length) return;
    }
    shownCtx.putImageData(frame, 0, 0);
    shown = frame;
  }

  // --- Sound: browsers start it only from a touch, click or key.
  function unlockSound() {
    const ctx = window.Module && Module.audioContext && Module.audioContext();
    if (ctx && ctx.state === 'suspended') ctx.resume().catch(() => { /* not allowed yet */ });
  }
  for (const type of ['pointerdown', 'pointerup', 'touchend', 'keydown'])
    window.addEventListener(type, unlockSound, true);

  // --- The pen: the mouse or the first finger on the picture; any finger
  // that joins it is ignored until that one is lifted.
  let pen = null;
  function penAt(e, kind) {
    const g = game();
    if (!g) return;
    const r = canvas.getBoundingClientRect();
    const x = Math.floor((e.clientX - r.left) * W / r.width);
    const y = Math.floor((e.clientY - r.top) * H / r.height);
    g._WebPen(kind, x, y);
  }
  canvas.addEventListener('pointerdown', (e) => {
    if (pen !== null) return;
    pen = e.pointerId;
    try { canvas.setPointerCapture(e.pointerId); } catch (err) { /* released already */ }
    penAt(e, 0);
  });
  canvas.addEventListener('pointermove', (e) => {
    if (e.pointerId === pen) penAt(e, 1);
  });
  function lift(e) {
    if (e.pointerId !== pen) return;
    pen = null;
    penAt(e, 2);
  }
  canvas.addEventListener('pointerup', lift);
  canvas.addEventListener('pointercancel', lift);
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());
  document.addEventListener('gesturestart', (e) => e.preventDefault());

  // --- Keys: the desktop's, in the order web.cpp lists them. A held key
  // sends no more presses; keys held when the page loses focus are let go.
  const KEYS = ['ArrowLeft', 'ArrowRight', 'PageUp', 'PageDown', 'Backspace', 'Escape', 'u', 'z', 'h'];
  const held = new Set();
  function keyIndex(e) {
    const k = e.key.length === 1 ? e.key.toLowerCase() : e.key;
    return KEYS.indexOf(k);
  }
  window.addEventListener('keydown', (e) => {
    const i = keyIndex(e);
    const g = game();
    if (i < 0 || !g || e.altKey) return;
    e.preventDefault();
    if (e.repeat || held.has(i)) return;
    held.add(i);
    g._WebKey(1, i, e.ctrlKey || e.metaKey ? 1 : 0);
  });
  window.addEventListener('keyup', (e) => {
    const i = keyIndex(e);
    if (!held.delete(i) || !game()) return;
    e.preventDefault();
    game()._WebKey(0, i, 0);
  });
  window.addEventListener('blur', () => {
    for (const i of held) if (game()) game()._WebKey(0, i, 0);
    held.clear();
  });

  // --- Gamepads, through the browser's standard mapping, as the handheld's
  // buttons: A, B, X, Y, the shoulders as L and R, back as I, start as II,
  // the pad's left and right as L and R, the middle button as Home.
  const PAD = { 0: 0, 1: 2, 2: 1, 3: 3, 4: 4, 5: 5, 8: 8, 9: 9, 14: 4, 15: 5, 16: 6 };
  const padState = new Map();
  // No gamepad is read before one has been connected, by the page or by the
  // game's SDL (asking for gamepads keeps the browser polling them hard).
  let padsSeen = false;
  window.addEventListener('gamepadconnected', () => { padsSeen = true; });
  if (navigator.getGamepads) {
    const read = navigator.getGamepads.bind(navigator);
    navigator.getGamepads = () => (padsSeen ? read() : []);
  }
  function pollPads() {
    const g = game();
    if (!padsSeen || !g || !navigator.getGamepads) return;
    for (const pad of navigator.getGamepads()) {
      if (!pad) continue;
      const before = padState.get(pad.index) || [];
      const now = pad.buttons.map((b) => b.pressed);
      now.forEach((down, i) => {
        if (down !== !!before[i] && PAD[i] !== undefined) {
          if (down) unlockSound();
          g._WebButton(down ? 1 : 0, PAD[i]);
        }
      });
      padState.set(pad.index, now);
    }
  }

  // --- save.dat in IndexedDB: read before the game starts, written when the
  // page is hidden or closed, at the end of the game and after a load.
  let db = null;
  function openStore() {
    Module.addRunDependency('save');
    try { Module.FS.mkdir(GAME_DIR); } catch (err) { /* made by the sound's preload */ }
    Module.FS.chdir(GAME_DIR);
    let settled = false;
    function ready(bytes) {
      if (settled) return;
      settled = true;
      if (bytes) Module.FS.writeFile(SAVE, bytes);
      if (!db) say('This browser keeps no storage for this page (a private window?): you can play, but your progress will not be kept.');
      Module.removeRunDependency('save');
    }
    setTimeout(() => ready(null), 5000); // a store that never answers
    try {
      const req = indexedDB.open('tombslide', 1);
      req.onupgradeneeded = () => req.result.createObjectStore('files');
      req.onerror = () => ready(null);
      req.onsuccess = () => {
        const opened = req.result;
        try {
          const get = opened.transaction('files').objectStore('files').get('save.dat');
          get.onsuccess = () => {
            db = opened;
            // Asks the browser not to clear the progress when space runs short.
            if (navigator.storage && navigator.storage.persist) navigator.storage.persist().catch(() => {});
            ready(get.result ? new Uint8Array(get.result) : null);
          };
          get.onerror = () => ready(null);
        } catch (err) {
          ready(null);
        }
      };
    } catch (err) {
      ready(null);
    }
  }
  function keep() {
    if (!db) return;
    let bytes;
    try { bytes = Module.FS.readFile(SAVE); } catch (err) { return; }
    try {
      const tx = db.transaction('files', 'readwrite');
      tx.objectStore('files').put(bytes, 'save.dat');
      if (tx.commit) tx.commit();
    } catch (err) {
      say('Your progress could not be stored: ' + err.message);
    }
  }
  // A save the game could not load is moved aside by the game
  // (save.dat.bad); its progress must not go with the next save, so the
  // browser keeps a copy under a name of its own, never overwritten, and the
  // page offers it for download (to be mended or kept).
  const keptBad = new Set();
  function keepBad() {
    let names = [];
    try { names = Module.FS.readdir(GAME_DIR).filter((n) => /^save\.dat\.bad/.test(n)); } catch (err) { return; }
    for (const name of names) {
      if (keptBad.has(name)) continue;
      keptBad.add(name);
      const bytes = Module.FS.readFile(GAME_DIR + '/' + name);
      if (db) {
        try {
          db.transaction('files', 'readwrite').objectStore('files').put(bytes, 'save.dat.bad.' + Date.now());
        } catch (err) { /* still offered below */ }
      }
      const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
      const a = document.createElement('a');
      a.id = 'badsave';
      a.href = url;
      a.download = 'save.dat.bad';
      a.textContent = 'Download the save that could not be loaded';
      bar.insertBefore(a, document.getElementById('download'));
      layout();
    }
  }
  function saveNow() {
    const g = game();
    if (g && g._WebSave()) keep();
  }
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') saveNow();
  });
  window.addEventListener('pagehide', saveNow);

  document.getElementById('download').addEventListener('click', (e) => {
    e.preventDefault();
    saveNow();
    let bytes;
    try { bytes = Module.FS.readFile(SAVE); } catch (err) { say('There is no save yet.'); return; }
    const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    const a = document.createElement('a');
    a.href = url;
    a.download = 'save.dat';
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  });

  const loader = document.getElementById('load');
  loader.addEventListener('change', async () => {
    const file = loader.files[0];
    loader.value = '';
    const g = game();
    if (!file || !g) return;
    // No save is longer than a few hundred bytes; the game reads the rest.
    const bytes = new Uint8Array(await file.slice(0, 4096).arrayBuffer());
    const data = g._malloc(bytes.length + 1), why = g._malloc(128);
    g.HEAPU8.set(bytes, data);
    const loaded = file.size <= 4096 && g._WebLoadSave(data, bytes.length, why, 128);
    const reason = file.size > 4096 ? 'far longer than a save' : g.UTF8ToString(why);
    g._free(data);
    g._free(why);
    if (loaded) {
      keep();
      say('Loaded ' + file.name + '.');
    } else {
      say(file.name + ' is not a save the game can load (' + reason + '); your progress is kept.');
    }
  });

  // --- The game's end, and a start that failed.
  document.getElementById('again').addEventListener('click', () => location.reload());
  function ended(saved) {
    Module.running = false;
    keep();
    document.getElementById('endedText').textContent = saved
      ? 'The game has ended; your progress is saved.'
      : 'The game has ended, but its progress could not be saved.';
    document.getElementById('ended').hidden = false;
    document.getElementById('again').focus();
  }

  // The game's trace: the last lines are kept for a look from the console;
  // the game's notices (a save it could not load, ...) are shown.
  const trace = [];
  function print(text) {
    trace.push(text);
    if (trace.length > 400) trace.splice(0, 200);
    if (/^Unable/.test(text)) say(text);
    if (/^Unable to load save\.dat/.test(text)) setTimeout(keepBad, 0);
  }

  window.Module = {
    canvas: screen,
    present: present,
    doNotCaptureKeyboard: true, // the keys are handed in above
    noAudioDecoding: true, // the sound is decoded by the game's mixer
    print: print,
    printErr: (text) => console.error(text),
    preRun: [openStore],
    preMainLoop: pollPads,
    onRuntimeInitialized: () => { Module.running = true; },
    gameEnded: ended,
    gameFailed: () => { Module.running = false; say('The game could not start.'); },
    onAbort: () => say('The game stopped on an error.'),
    trace: trace,
    running: false,
  };

  if ('serviceWorker' in navigator && window.isSecureContext) {
    navigator.serviceWorker.register('sw.js').catch(() => { /* played online only */ });
  }
  const script = document.createElement('script');
  script.src = 'tombslide.js';
  script.onerror = () => say('The game could not be loaded.');
  document.body.appendChild(script);
})();
