// Plays the browser build in Debian's headless Chromium and checks what a
// player sees: every checked-in replay ends where the desktop's does, the
// title and a game look right, keys and a click drive the menus, F12 offers
// a picture, and a setting or a table row outlives a reload, even an
// immediate one. Closes with "N passed, M failed".
//   node run.mjs [--pictures DIR] [--only TEXT]
//                                   the cases (DIR keeps each screenshot; TEXT
//                                   picks the cases whose names hold it)
//   node run.mjs --measure [--timedemo FILE] [--minutes M]
//                                   start-up, transfer size and a timedemo of
//                                   FILE (default the first of tests/timedemo/);
//                                   past M minutes (default 10) the frame rate
//                                   it reached stands in for its summary line
//   node run.mjs --measure --watch S [--timedemo FILE] [--launch default] [--window WxH]
//                                   instead: the frame rate a player sees while
//                                   watching FILE as a replay at its own pace for
//                                   S seconds, the canvas at 800x600 CSS pixels
//                                   (animation frames a wall second, the browser's
//                                   drawing included; and the game's own count);
//                                   "--launch default" runs Chromium as it starts
//                                   by itself, without the SwiftShader flags;
//                                   --window: the window's size in CSS pixels
//                                   instead (the canvas as large as fits)
// build-web/ must hold the page (tools/dev.sh web); the script serves it on
// a free port of 127.0.0.1 and stops the server when done.
import { spawn } from "node:child_process";
import { copyFileSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createServer } from "node:net";
import { tmpdir } from "node:os";
import { basename, dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";
import { gzipSync, inflateSync } from "node:zlib";
import { chromium } from "playwright-core";

const ROOT = resolve(dirname(fileURLToPath(import.meta.url)), "../../..");
const WEB = join(ROOT, "build-web");
const args = process.argv.slice(2);
const measuring = args.includes("--measure");
const option = (name, otherwise) => (args.includes(name) ? args[args.indexOf(name) + 1] : otherwise);
const picturesAt = option("--pictures", null);
const only = option("--only", "");
const timedemoFile = option("--timedemo", null);
const timedemoMinutes = Number(option("--minutes", 10));
const watchSeconds = Number(option("--watch", 0));

// Chromium as it runs here: headless, WebGL through SwiftShader, nothing
// fetched from outside.
const LAUNCH = {
  executablePath: "/usr/bin/chromium",
  headless: true,
  args: ["--no-sandbox", "--disable-quic", "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--enable-unsafe-swiftshader",
         "--use-angle=swiftshader", "--ignore-gpu-blocklist"],
};
// Chromium as a player's starts by itself: a window on the display (run
// under xvfb-run where there is none) and no flags for WebGL.
if (option("--launch", "") === "default") {
  LAUNCH.headless = false;
  LAUNCH.args = LAUNCH.args.filter((a) => !/swiftshader|gpu-blocklist/.test(a));
}
// A window whose stage fits the 800x600 picture at about its own size.
const VIEWPORT = { width: 900, height: 720 };
// The picture's own size: screenshots are measured in its pixels.
const PICTURE_W = 800, PICTURE_H = 600;
// Waits, in milliseconds.
const REPLAY_WAIT = 90000;      // a headless replay plays to its end
const START_WAIT = 30000;       // the page loads and draws its first frames
const SETTLE = 1500;            // a few frames after a key, with software WebGL
const KEY_GAP = 250;            // between key presses: each is seen on its own tick
const PLAY_WAIT = 4000;         // a game in play, a few seconds in
const PROGRESS_EVERY = 60000;   // a timedemo's progress line
const GAME_OVER_WAIT = 300000;  // a ship that stands and fires loses its lives

// ---- a small PNG reader (8-bit RGB or RGBA, not interlaced: what Chromium writes)

function paeth(a, b, c) {
  const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// { width, height, rgba } of a PNG's bytes.
function decodePng(buf) {
  if (buf.readUInt32BE(0) !== 0x89504e47) throw new Error("not a PNG");
  let pos = 8, width = 0, height = 0, channels = 0;
  const idat = [];
  while (pos < buf.length) {
    const len = buf.readUInt32BE(pos), type = buf.toString("latin1", pos + 4, pos + 8);
    const body = buf.subarray(pos + 8, pos + 8 + len);
    if (type === "IHDR") {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0) throw new Error("only 8-bit, non-interlaced PNGs are read");
      channels = { 2: 3, 6: 4 }[body[9]];
      if (!channels) throw new Error("only RGB and RGBA PNGs are read");
    } else if (type === "IDAT") idat.push(body);
    pos += 12 + len;
  }
  const raw = inflateSync(Buffer.concat(idat)), stride = width * channels;
  const rows = Buffer.alloc(stride * height), rgba = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; x++) {
      const a = x >= channels ? rows[y * stride + x - channels] : 0, b = y ? rows[(y - 1) * stride + x] : 0;
      const c = x >= channels && y ? rows[(y - 1) * stride + x - channels] : 0;
      const add = [0, a, b, (a + b) >> 1, paeth(a, b, c)][filter];
      rows[y * stride + x] = (line[x] + add) & 255;
    }
  }
  for (let i = 0; i < width * height; i++) {
    for (let k = 0; k < 3; k++) rgba[i * 4 + k] = rows[i * channels + k];
    rgba[i * 4 + 3] = channels === 4 ? rows[i * channels + 3] : 255;
  }
  return { width, height, rgba };
}

// ---- what a picture shows, in the picture's own pixels

// Colours as the game draws them: the logo and menus green, the highlighted
// menu line yellow, the grid's lines a deep blue (purple enemies carry red).
const isGreen = (r, g, b) => g > 150 && g > r + 60 && g > b + 60;
const isYellow = (r, g, b) => r > 170 && g > 170 && b < 110;
const isGridBlue = (r, g, b) => b > 80 && r < 50 && g < 50;
const isLit = (r, g, b) => r + g + b > 60;

// The share of pixels in a box of the 800x600 picture (x0, y0, x1, y1) that pass a test.
function share(pic, test, box = [0, 0, PICTURE_W, PICTURE_H]) {
  const sx = pic.width / PICTURE_W, sy = pic.height / PICTURE_H;
  const x0 = Math.floor(box[0] * sx), x1 = Math.floor(box[2] * sx);
  const y0 = Math.floor(box[1] * sy), y1 = Math.floor(box[3] * sy);
  let hits = 0;
  for (let y = y0; y < y1; y++)
    for (let x = x0; x < x1; x++) {
      const i = (y * pic.width + x) * 4;
      if (test(pic.rgba[i], pic.rgba[i + 1], pic.rgba[i + 2])) hits++;
    }
  return hits / Math.max(1, (x1 - x0) * (y1 - y0));
}

// Where the title draws its logo, and its main menu's five lines.
const LOGO_BOX = [100, 100, 700, 155];
const MENU_TOP = 355, MENU_LINE_H = 32, MENU_LINES = 5, MENU_X0 = 250, MENU_X1 = 550;
// The menus on the way to GRID: a menu centred on y with n lines starts
// its first line at y - 16 n + 4, as the game lays them out.
const menuAt = (y, lines) => ({ top: y - 16 * lines + 4, lines });
const MAIN_MENU = { top: MENU_TOP, lines: MENU_LINES };
const OPTIONS_MENU = menuAt(420, 6), GAME_SETTINGS_MENU = menuAt(396, 8), GRID_MENU = menuAt(432, 4);
// A title has its logo (a tenth of its box is green), a game its grid (a
// twentieth of the picture is grid blue); neither is black (a game without
// its grid lights some 3% of the picture with stars, ship and score).
const LOGO_GREEN = 0.1, GRID_BLUE = 0.05, NOT_BLACK = 0.02;
// With the grid off, next to none of the picture is grid blue.
const NO_GRID_BLUE = 0.01;

// The menu line drawn yellow (the highlighted one), or -1 when none stands out.
function highlightedLine(pic, menu = MAIN_MENU) {
  const yellow = [];
  for (let i = 0; i < menu.lines; i++) {
    const y = menu.top + i * MENU_LINE_H;
    yellow.push(share(pic, isYellow, [MENU_X0, y, MENU_X1, y + MENU_LINE_H]));
  }
  const best = yellow.indexOf(Math.max(...yellow));
  const others = yellow.filter((_, i) => i !== best);
  return yellow[best] > 0.03 && yellow[best] > 4 * Math.max(...others) ? best : -1;
}

function describe(pic) {
  return `lit ${pct(share(pic, isLit))}, logo green ${pct(share(pic, isGreen, LOGO_BOX))}, ` +
         `grid blue ${pct(share(pic, isGridBlue))}, highlighted line ${highlightedLine(pic)}`;
}
const pct = (v) => (100 * v).toFixed(1) + "%";

// The high-score table in the browser's files.
const TABLE_FILE = "/saves/pulsefield/highscore.dat";

// ---- the server and the browser

// A free port of 127.0.0.1.
function freePort() {
  return new Promise((done, fail) => {
    const s = createServer();
    s.on("error", fail);
    s.listen(0, "127.0.0.1", () => {
      const { port } = s.address();
      s.close(() => done(port));
    });
  });
}

// Python's file server on build-web; resolves once it says it is serving.
async function serve() {
  for (let attempt = 0; attempt < 5; attempt++) {
    const port = await freePort();
    const server = spawn("python3", ["-u", "-m", "http.server", String(port), "--bind", "127.0.0.1",
                                     "--directory", WEB], { stdio: ["ignore", "pipe", "pipe"] });
    const up = await new Promise((done) => {
      server.stdout.on("data", (d) => { if (String(d).includes("Serving HTTP")) done(true); });
      server.on("exit", () => done(false));
    });
    server.stderr.resume();
    if (up) return { server, base: `http://127.0.0.1:${port}/index.html` };
  }
  throw new Error("no port of 127.0.0.1 could be served on");
}

// A line that says a replay will not play to its end (a fetch or a file
// that failed, or the game stopped).
const GAVE_UP = /error|cannot|has ended|stopped/;

// The lines the game printed on this page.
const linesOf = (page) => page.evaluate(() => window.pulsefieldLines || []);

// Waits until the game printed a line that passes the test; the lines so far.
async function waitForLine(page, test, timeout) {
  const end = Date.now() + timeout;
  for (;;) {
    const lines = await linesOf(page).catch(() => []);
    if (lines.some(test)) return lines;
    if (Date.now() > end) throw new Error(`no such line in ${timeout / 1000} s; the game printed:\n  ` +
                                          lines.slice(-8).join("\n  "));
    await new Promise((r) => setTimeout(r, 200));
  }
}

// Counts the frames the game draws on the page, from its next navigation on.
async function countFrames(page) {
  await page.addInitScript(() => {
    // The first animation frame the game draws, on the page's clock
    // (milliseconds after navigation began), and the frames drawn so far
    // (each once, however many callbacks it runs).
    const raf = window.requestAnimationFrame.bind(window);
    let counted = -1;
    window.requestAnimationFrame = (fn) => raf((t) => {
      fn(t);
      if (!(window.Module && Module.calledRun) || t === counted) return;
      counted = t;
      if (window.pulsefieldFirstFrame === undefined) window.pulsefieldFirstFrame = performance.now();
      window.pulsefieldFrames = (window.pulsefieldFrames || 0) + 1;
    });
  });
}

// Opens the page with a query in a fresh browser context (its own saved
// files) unless one is given; waits until the game runs a few frames.
async function open(browser, base, query, context = null) {
  const ctx = context || (await browser.newContext({ viewport: VIEWPORT, acceptDownloads: true }));
  const page = await ctx.newPage();
  await countFrames(page);
  await page.goto(base + query, { waitUntil: "commit" });
  await page.waitForFunction(() => window.pulsefieldFirstFrame !== undefined, null, { timeout: START_WAIT });
  await page.waitForTimeout(SETTLE);
  return { ctx, page };
}

let pictureCount = 0;
// The canvas as a player sees it now.
async function picture(page, name) {
  const png = await page.locator("#canvas").screenshot();
  if (picturesAt) {
    mkdirSync(picturesAt, { recursive: true });
    writeFileSync(join(picturesAt, `${String(++pictureCount).padStart(2, "0")}-${name}.png`), png);
  }
  return decodePng(png);
}

// The whole page as a player sees it now, kept with the pictures.
async function pageShot(page, name) {
  if (!picturesAt) return;
  mkdirSync(picturesAt, { recursive: true });
  await page.screenshot({ path: join(picturesAt, `${String(++pictureCount).padStart(2, "0")}-${name}.png`) });
}

// Waits until the canvas shows the title (the page may start again on the way).
async function waitForTitle(page, name) {
  const end = Date.now() + START_WAIT;
  for (;;) {
    const pic = await picture(page, name).catch(() => null);
    if (pic && share(pic, isGreen, LOGO_BOX) > LOGO_GREEN) return describe(pic);
    if (Date.now() > end) throw new Error(`no title in ${START_WAIT / 1000} s: ${pic ? describe(pic) : "no canvas"}`);
    await page.waitForTimeout(SETTLE);
  }
}

// Every file under the page's lasting folder, path to bytes (base64).
const savesOf = (page) => page.evaluate(() => {
  const files = {};
  const walk = (dir) => {
    for (const name of FS.readdir(dir)) {
      if (name === "." || name === "..") continue;
      const path = dir + "/" + name;
      if (FS.isDir(FS.stat(path).mode)) walk(path);
      else files[path] = btoa(Array.from(FS.readFile(path), (b) => String.fromCharCode(b)).join(""));
    }
  };
  walk("/saves");
  return files;
});

// Which files differ between two of savesOf's answers.
function changedSaves(before, after) {
  const paths = [...new Set([...Object.keys(before), ...Object.keys(after)])].sort();
  return paths.filter((p) => before[p] !== after[p]);
}

// The page's line of notices.
const noticeOf = (page) => page.locator("#notice").textContent();

async function press(page, ...keys) {
  for (const k of keys) {
    await page.keyboard.press(k);
    await page.waitForTimeout(KEY_GAP);
  }
  await page.waitForTimeout(SETTLE);
}

function expect(ok, what) {
  if (!ok) throw new Error(what);
}

// ---- waiting for states

// Waits until the page drew this many more frames: every tick due by now,
// and so every key pressed before, has then been run.
async function frames(page, count) {
  const from = await page.evaluate(() => window.pulsefieldFrames || 0);
  await page.waitForFunction((n) => (window.pulsefieldFrames || 0) >= n, from + count, { timeout: START_WAIT });
}

// Takes pictures until one passes the test; that picture.
async function pictureUntil(page, name, test, what) {
  const end = Date.now() + START_WAIT;
  for (;;) {
    const pic = await picture(page, name);
    if (test(pic)) return pic;
    if (Date.now() > end) throw new Error(`${what}: ${describe(pic)}`);
    await frames(page, 2);
  }
}

// A key, then the menu it leads to with the expected line highlighted.
async function step(page, key, menu, line, name) {
  await page.keyboard.press(key);
  await frames(page, 3);
  await pictureUntil(page, name, (p) => highlightedLine(p, menu) === line,
                     `after ${key} the menus did not show line ${line} highlighted`);
}

// Holds up every copy into the browser's storage (IndexedDB) from now on,
// as a busy machine may: a reload then comes before any copy has finished,
// whatever this machine's speed.
const holdCopies = (page) => page.evaluate(() => {
  const reconcile = IDBFS.reconcile;
  IDBFS.reconcile = function (src, dst, done) {
    if (dst.type !== "remote") return reconcile.apply(this, arguments);
  };
});

// The state of the page's saves (page.js): how many landed, how many the
// lasting storage holds.
const saveStateOf = (page) => page.evaluate(() => window.pulsefieldSaves || {});

// ---- the cases

const replays = readdirSync(join(ROOT, "tests/replays")).filter((f) => f.endsWith(".pfr")).sort();

// Each checked-in replay, played headless in the page, prints what the
// desktop printed for it: score, clock, state, "replay ok" and the tallies.
const replayCases = replays.map((file) => ({
  name: `the page plays ${file} back as the desktop does`,
  async run(browser, base) {
    const expected = readFileSync(join(ROOT, "tests/replays", file.replace(/\.pfr$/, ".expect")), "utf8")
      .split("\n").filter((l) => l.trim());
    const ctx = await browser.newContext();
    try {
      const page = await ctx.newPage();
      await page.goto(`${base}?headless&replay=games/${file}`, { waitUntil: "commit" });
      // A headless run holds the page until it ends: its lines come all at once.
      const lines = await waitForLine(page, (l) => l.startsWith("state ") || GAVE_UP.test(l), REPLAY_WAIT);
      const missing = expected.filter((l) => !lines.includes(l));
      expect(missing.length === 0, `the page printed\n  ${lines.join("\n  ")}\nbut not\n  ${missing.join("\n  ")}`);
      return expected.find((l) => l.startsWith("score"));
    } finally {
      await ctx.close();
    }
  },
}));

// Pictures: the title shows its green logo and a game in play its blue grid.
const pictureCases = [
  { name: "the title shows its green logo", query: "?no-intro",
    check: (p) => share(p, isGreen, LOGO_BOX) > LOGO_GREEN },
  { name: "a game in play shows the grid", query: "?seed=5&play", wait: PLAY_WAIT,
    check: (p) => share(p, isGridBlue) > GRID_BLUE && share(p, isGreen, LOGO_BOX) < LOGO_GREEN },
].map((c) => ({
  name: c.name,
  async run(browser, base) {
    const { ctx, page } = await open(browser, base, c.query);
    try {
      await page.waitForTimeout(c.wait || 0);
      const pic = await picture(page, c.query.replace(/\W+/g, "-").replace(/^-/, ""));
      expect(share(pic, isLit) > NOT_BLACK, `the picture is black: ${describe(pic)}`);
      expect(c.check(pic), describe(pic));
      return describe(pic);
    } finally {
      await ctx.close();
    }
  },
}));

const inPlay = (p) => share(p, isGridBlue) > GRID_BLUE && share(p, isGreen, LOGO_BOX) < LOGO_GREEN;

// Starting a game from the title: Enter on PLAY, or a click on it.
const startCases = [
  { name: "Enter on PLAY starts a game", act: (page) => press(page, "Enter") },
  { name: "a click on PLAY starts a game", async act(page) {
      const box = await page.locator("#canvas").boundingBox();
      const s = box.width / PICTURE_W;
      const x = box.x + (PICTURE_W / 2) * s, y = box.y + (MENU_TOP + MENU_LINE_H / 2) * s;
      await page.mouse.move(x, y);
      await page.waitForTimeout(KEY_GAP);
      await page.mouse.click(x, y);
      await page.waitForTimeout(SETTLE);
    } },
].map((c) => ({
  name: c.name,
  async run(browser, base) {
    const { ctx, page } = await open(browser, base, "?no-intro");
    try {
      await c.act(page);
      await page.waitForTimeout(PLAY_WAIT);
      const pic = await picture(page, c.name.split(" ")[0].toLowerCase() + "-play");
      expect(inPlay(pic), `no game in the picture: ${describe(pic)}`);
      return describe(pic);
    } finally {
      await ctx.close();
    }
  },
}));

// F12, and the page's button that presses it, offer the picture as a PNG download.
const downloadCases = [
  { name: "F12 offers the picture as a PNG", act: (page) => page.keyboard.press("F12") },
  { name: "the page's picture button offers a PNG", act: (page) => page.click("#screenshot") },
].map((c) => ({
  name: c.name,
  async run(browser, base) {
    const { ctx, page } = await open(browser, base, "?no-intro");
    try {
      const [download] = await Promise.all([page.waitForEvent("download", { timeout: START_WAIT }), c.act(page)]);
      const bytes = readFileSync(await download.path());
      expect(bytes.subarray(0, 8).equals(Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a])),
             `${download.suggestedFilename()} is no PNG`);
      const pic = decodePng(bytes);
      expect(pic.width > 0 && share(pic, isLit) > NOT_BLACK, `${download.suggestedFilename()} is black`);
      return `${download.suggestedFilename()}, ${pic.width}x${pic.height}, ${bytes.length} bytes`;
    } finally {
      await ctx.close();
    }
  },
}));

const otherCases = [
  {
    name: "the Down key moves the highlight from PLAY to HIGHSCORES",
    async run(browser, base) {
      const { ctx, page } = await open(browser, base, "?no-intro");
      try {
        const before = highlightedLine(await picture(page, "title"));
        await press(page, "ArrowDown");
        const after = highlightedLine(await picture(page, "title-down"));
        expect(before === 0 && after === 1, `highlighted line ${before}, after Down ${after}`);
        return `line ${before}, then ${after}`;
      } finally {
        await ctx.close();
      }
    },
  },
  ...[
    // The game left with QUIT (which saves), the tab hidden with the game
    // still running (as a closed tab is: the game saves then), or the page
    // reloaded as soon as the menu is back from GRID, its copy to the
    // browser's storage held up so that it cannot have finished.
    { how: "left with QUIT", async leave(page) {
      await step(page, "Enter", OPTIONS_MENU, 5, "options");
      await step(page, "Enter", MAIN_MENU, 0, "title");
      await step(page, "ArrowUp", MAIN_MENU, 4, "at-quit");
      await page.keyboard.press("Enter");
      await waitForLine(page, (l) => l.startsWith("The game has ended"), START_WAIT);
      await page.waitForFunction(() => !pulsefieldSaves.pending, null, { timeout: START_WAIT });
    } },
    { how: "kept when the tab is hidden", async leave(page) {
      await page.evaluate(() => {
        Object.defineProperty(document, "visibilityState", { value: "hidden", configurable: true });
        document.dispatchEvent(new Event("visibilitychange"));
      });
      await page.waitForFunction(() => !pulsefieldSaves.pending, null, { timeout: START_WAIT });
    } },
    { how: "reloaded at once", held: true, async leave(page) {
      await page.reload({ waitUntil: "commit" });
      await page.waitForFunction(() => window.pulsefieldFirstFrame !== undefined, null, { timeout: START_WAIT });
    } },
  ].map((c) => ({
    // GRID set to OFF through the menus; the reloaded page reads it back
    // and plays without a grid.
    name: `the grid turned off in the menus stays off after a reload, ${c.how}`,
    async run(browser, base) {
      const { ctx, page } = await open(browser, base, "?no-intro");
      try {
        // The title with PLAY highlighted takes keys; then OPTIONS, which
        // opens on "back": up to GAME SETTINGS (opens on "back"), up to
        // GRID (opens on NORMAL), up to OFF, which saves and goes back.
        await pictureUntil(page, "title", (p) => highlightedLine(p) === 0, "the title's menu did not show");
        await step(page, "ArrowDown", MAIN_MENU, 1, "title");
        await step(page, "ArrowDown", MAIN_MENU, 2, "title");
        await step(page, "ArrowDown", MAIN_MENU, 3, "title");
        await step(page, "Enter", OPTIONS_MENU, 5, "options");
        for (const line of [4, 3, 2]) await step(page, "ArrowUp", OPTIONS_MENU, line, "options");
        await step(page, "Enter", GAME_SETTINGS_MENU, 7, "game-settings");
        for (const line of [6, 5]) await step(page, "ArrowUp", GAME_SETTINGS_MENU, line, "game-settings");
        await step(page, "Enter", GRID_MENU, 1, "grid");
        await step(page, "ArrowUp", GRID_MENU, 0, "grid");
        if (c.held) await holdCopies(page);
        await step(page, "Enter", GAME_SETTINGS_MENU, 7, "grid-off");
        await c.leave(page);
        const saved = await page.evaluate(() => FS.readdir("/saves/pulsefield"));
        const state = JSON.stringify(await saveStateOf(page));
        expect(saved.includes("config.dat"), `the saves hold only ${saved.join(", ")}`);
        await page.close();
        const again = await open(browser, base, "?seed=5&play", ctx);
        const pic = await pictureUntil(again.page, "reloaded-play",
          (p) => share(p, isLit) > NOT_BLACK && share(p, isGreen, LOGO_BOX) < LOGO_GREEN, "no game began");
        await frames(again.page, 10);
        const later = await picture(again.page, "reloaded-play");
        expect(share(pic, isGridBlue) < NO_GRID_BLUE && share(later, isGridBlue) < NO_GRID_BLUE,
               `the grid shows after the reload: ${describe(later)}`);
        const kept = saved.filter((f) => f !== "." && f !== "..").join(", ");
        return `saves: ${kept}; ${state}; ${describe(later)}`;
      } finally {
        await ctx.close();
      }
    },
  })),
  {
    // The ship stands and fires to the right until its lives are gone: any
    // score makes a row of the empty table, saved with the game's replay as
    // the game-over screen opens. The page is reloaded the moment the table
    // is on file, its copy to the browser's storage held up.
    name: "a game that makes the table keeps its row after a reload at once",
    async run(browser, base) {
      const { ctx, page } = await open(browser, base, "?seed=5&play");
      try {
        const box = await page.locator("#canvas").boundingBox();
        await page.mouse.move(box.x + box.width * 0.75, box.y + box.height / 2);
        await page.mouse.down();
        await holdCopies(page);
        const t0 = Date.now();
        const made = await page.waitForFunction(
          (path) => FS.analyzePath(path).exists && Array.from(FS.readFile(path)), TABLE_FILE,
          { timeout: GAME_OVER_WAIT, polling: "raf" });
        const table = await made.jsonValue();
        await page.reload({ waitUntil: "commit" });
        const secs = ((Date.now() - t0) / 1000).toFixed(0);
        await page.waitForFunction(() => window.pulsefieldFirstFrame !== undefined, null, { timeout: START_WAIT });
        const kept = await page.evaluate((path) => FS.analyzePath(path).exists && Array.from(FS.readFile(path)),
                                         TABLE_FILE);
        expect(kept && kept.length === table.length && kept.every((b, i) => b === table[i]),
               kept ? "the reloaded page has an older table" : "the reloaded page has no table");
        // The reloaded page copies what it put back, then strikes it from the journal.
        await page.waitForFunction(() => !pulsefieldSaves.pending, null, { timeout: START_WAIT });
        const journal = await page.evaluate(() => Object.keys(localStorage).filter((k) => k.startsWith("pulsefield-journal:")));
        expect(journal.length === 0, `the journal still holds ${journal.join(", ")}`);
        return `game over after ${secs} s; ${table.length} bytes kept; ${JSON.stringify(await saveStateOf(page))}`;
      } finally {
        await ctx.close();
      }
    },
  },
];

// ---- the page around the game: its layout, its ends, links and chosen files

// Window sizes: a small one, the default and a large one.
const WINDOWS = [{ width: 480, height: 400 }, VIEWPORT, { width: 1600, height: 1000 }];
// A long line for the box of messages, and a link whose refused options make a long notice.
const LONG_LINE = "pulsefield: a long message " + "that goes on and on ".repeat(12);
const MANY_REFUSED = Array.from({ length: 30 }, (_, i) => `an-option-no-link-gives-${i}=x`).join("&");
// Layouts are measured in CSS pixels; a box may touch another, not cross it.
const TOUCH = 0.5;

// The boxes of the canvas, of everything in the header and of the footer's
// text, and the window's size.
const layoutOf = (page) => page.evaluate(() => {
  const shown = (e) => e.getClientRects().length > 0 && getComputedStyle(e).visibility !== "hidden";
  const box = (e) => {
    const r = e.getBoundingClientRect();
    return { what: e.id || e.tagName.toLowerCase(), x0: r.left, y0: r.top, x1: r.right, y1: r.bottom };
  };
  return {
    canvas: box(document.getElementById("canvas")),
    controls: [...document.querySelectorAll("header > *")].filter(shown).map(box),
    texts: [...document.querySelectorAll("footer > *")].filter(shown).map(box),
    width: window.innerWidth, height: window.innerHeight,
  };
});

// What is wrong with a layout: boxes outside the window or crossing one another.
function layoutFaults(l) {
  const faults = [];
  const all = [l.canvas, ...l.controls, ...l.texts];
  for (const b of all)
    if (b.x0 < -TOUCH || b.y0 < -TOUCH || b.x1 > l.width + TOUCH || b.y1 > l.height + TOUCH)
      faults.push(`${b.what} [${b.x0},${b.y0} - ${b.x1},${b.y1}] leaves the ${l.width}x${l.height} window`);
  const cross = (a, b) => a.x0 < b.x1 - TOUCH && b.x0 < a.x1 - TOUCH && a.y0 < b.y1 - TOUCH && b.y0 < a.y1 - TOUCH;
  for (const [a, b] of [...[...l.controls, ...l.texts].map((b) => [l.canvas, b]),
                        ...l.controls.flatMap((a) => l.texts.map((b) => [a, b]))])
    if (cross(a, b)) faults.push(`${a.what} crosses ${b.what}`);
  if (l.canvas.x1 - l.canvas.x0 < PICTURE_W / 4) faults.push(`the canvas is only ${l.canvas.x1 - l.canvas.x0} wide`);
  return faults;
}

// At each window size, with a long notice and the box of messages full, the
// game left with QUIT: nothing the page shows covers another.
const layoutCases = WINDOWS.map((size) => ({
  name: `at ${size.width}x${size.height} the canvas, the page's controls and its text stay apart ` +
        `in the window when the game ends with long messages`,
  async run(browser, base) {
    const ctx = await browser.newContext({ viewport: size });
    try {
      const { page } = await open(browser, base, `?no-intro&${MANY_REFUSED}`, ctx);
      await page.evaluate((line) => { for (let i = 0; i < 60; i++) pulsefieldSay(`${i} ${line}`); }, LONG_LINE);
      await press(page, "ArrowUp", "Enter");
      await waitForLine(page, (l) => l.startsWith("The game has ended"), START_WAIT);
      // The page settles its layout over a frame or two.
      let faults = [];
      const end = Date.now() + START_WAIT;
      do {
        await page.waitForTimeout(KEY_GAP);
        faults = layoutFaults(await layoutOf(page));
      } while (faults.length && Date.now() < end);
      await pageShot(page, `layout-${size.width}x${size.height}`);
      expect(faults.length === 0, faults.join("; "));
      const c = (await layoutOf(page)).canvas;
      return `canvas ${c.x1 - c.x0}x${c.y1 - c.y0}`;
    } finally {
      await ctx.close();
    }
  },
}));

// A game over is no dead end: one click on the page starts it again at the title.
const againCases = [
  { name: "after QUIT one click on Play again brings the title back", query: "?no-intro",
    leave: (page) => press(page, "ArrowUp", "Enter") },
  { name: "after a watched replay ends one click on Play again brings the title back",
    query: "?replay=games/mouse.pfr", leave: (page) => press(page, "Escape") },
].map((c) => ({
  name: c.name,
  async run(browser, base) {
    const { ctx, page } = await open(browser, base, c.query);
    try {
      await c.leave(page);
      await waitForLine(page, (l) => l.startsWith("The game has ended"), START_WAIT);
      await pageShot(page, "ended");
      await page.getByRole("button", { name: "Play again" }).click();
      // The game runs again, its end forgotten.
      await page.waitForFunction(() => window.pulsefieldFirstFrame !== undefined &&
        !(window.pulsefieldLines || []).some((l) => l.startsWith("The game has ended")), null, { timeout: START_WAIT });
      return await waitForTitle(page, "again-title");
    } finally {
      await ctx.close();
    }
  },
}));

// Opens a page whose game may run or stop at once; waits for either.
async function openEither(ctx, base, query) {
  const page = await ctx.newPage();
  await countFrames(page);
  await page.goto(base + query, { waitUntil: "commit" });
  await page.waitForFunction(() => window.pulsefieldFirstFrame !== undefined || window.Module?.calledRun &&
    (window.pulsefieldLines || []).some((l) => /has ended|stopped/.test(l)), null, { timeout: START_WAIT });
  await page.waitForTimeout(SETTLE);
  return page;
}

// Hides the page as a closed tab is (a running game saves) and waits until
// the saves are in the browser's storage.
async function hideAndPersist(page) {
  await page.evaluate(() => {
    Object.defineProperty(document, "visibilityState", { value: "hidden", configurable: true });
    document.dispatchEvent(new Event("visibilitychange"));
  });
  await page.waitForFunction(() => !window.persisting && !window.persistAgain, null, { timeout: START_WAIT });
}

// A player's saves: the settings and the table from a game left with QUIT,
// and kept replays. The context keeps them for the pages opened in it next.
async function contextWithSaves(browser, base) {
  const { ctx, page } = await open(browser, base, "?no-intro");
  await press(page, "ArrowUp", "Enter");
  await waitForLine(page, (l) => l.startsWith("The game has ended"), START_WAIT);
  const replay = [...readFileSync(join(ROOT, "tests/replays/mouse.pfr"))];
  await page.evaluate((bytes) => new Promise((done, fail) => {
    FS.mkdirTree("/saves/pulsefield/replays");
    for (const name of ["last.pfr", "2026-12-07_14-48-22_12345.pfr"])
      FS.writeFile("/saves/pulsefield/replays/" + name, new Uint8Array(bytes));
    FS.syncfs(false, (err) => (err ? fail(err) : done()));
  }), replay);
  const saves = await savesOf(page);
  await page.close();
  for (const name of ["config.dat", "highscore.dat", "replays/last.pfr"])
    expect(`/saves/pulsefield/${name}` in saves, `no ${name} among ${Object.keys(saves).join(", ")}`);
  return { ctx, saves };
}

// Every option of the command line, aimed at the player's saves where it names a file.
const SAVES_DIR = "/saves/pulsefield";
const EVERY_OPTION = [
  ["help"], ["version"], ["seed", "5"], ["windowed"], ["fullscreen"], ["datadir", SAVES_DIR],
  ["userdir", `${SAVES_DIR}/replays`], ["no-joystick"], ["no-sound"], ["no-vsync"], ["vsync"],
  ["render-scale", "half"], ["renderer", "gles"], ["play"], ["no-intro"], ["headless"], ["ticks", "600"],
  ["replay", `${SAVES_DIR}/replays/last.pfr`], ["timedemo", `${SAVES_DIR}/replays/last.pfr`],
  ["frame-log", `${SAVES_DIR}/highscore.dat`],
];
const queryOf = (options) => "?" + options.map(([n, v]) => (v === undefined ? n : `${n}=${encodeURIComponent(v)}`)).join("&");

// Links that would have the game write over the saves or read them; each
// refused option is named on the page and the saves stay byte for byte.
const linkCases = [
  { what: "every option of the command line", options: EVERY_OPTION, kept: ["seed", "play", "no-intro"] },
  { what: "a timedemo of the last replay logged over the table from another user folder",
    options: [["userdir", "/tmp"], ["timedemo", `${SAVES_DIR}/replays/last.pfr`],
              ["frame-log", `${SAVES_DIR}/highscore.dat`]], kept: [] },
  { what: "the settings kept among the replays", options: [["no-intro"], ["userdir", `${SAVES_DIR}/replays`]],
    kept: ["no-intro"] },
  { what: "replays named into the saves, above the page or on another site",
    options: [["replay", `${SAVES_DIR}/replays/last.pfr`], ["replay", "../saves/pulsefield/replays/last.pfr"],
              ["timedemo", "https://elsewhere.example/games/mouse.pfr"], ["replay", "//elsewhere.example/x.pfr"],
              ["replay", "games/mouse.pfr.html"], ["no-intro"]], kept: ["no-intro"] },
];
const linkSuite = {
  name: "links that name the player's saves leave them byte for byte and the page names what it refused",
  async run(browser, base) {
    const { ctx, saves } = await contextWithSaves(browser, base);
    const said = [];
    try {
      for (const link of linkCases) {
        const page = await openEither(ctx, base, queryOf(link.options))
          .catch((e) => { throw new Error(`${link.what}: ${e.message}`); });
        await page.waitForTimeout(PLAY_WAIT);
        await hideAndPersist(page);
        const changed = changedSaves(saves, await savesOf(page));
        const line = (await linesOf(page)).find((l) => l.includes("refused")) || "";
        await page.close();
        expect(changed.length === 0, `${link.what}: the link changed ${changed.join(", ")}`);
        // "... the link's options a, b, c were refused: ..." (what follows names what a link may give).
        const words = line.split(" were refused")[0].split(/[ ,]+/);
        const refused = [...new Set(link.options.map(([n]) => n))].filter((n) => !link.kept.includes(n));
        const unnamed = refused.filter((n) => !words.includes(n));
        expect(unnamed.length === 0, `${link.what}: the page did not name ${unnamed.join(", ")} as refused: "${line}"`);
        const wrongly = link.kept.filter((n) => words.includes(n));
        expect(wrongly.length === 0, `${link.what}: the page refused ${wrongly.join(", ")}`);
        said.push(`${refused.length} refused`);
      }
      // A page started afresh reads the very same saves.
      const fresh = await openEither(ctx, base, "?no-intro");
      const changed = changedSaves(saves, await savesOf(fresh));
      expect(changed.length === 0, `after the links the saves changed: ${changed.join(", ")}`);
      return said.join(", ");
    } finally {
      await ctx.close();
    }
  },
};

// Behind the page's own check, the game in it refuses a frame log over a
// save, whatever folder it is told to keep its files in.
const gameRefusalSuite = {
  name: "the game in the page refuses a frame log over a save even when told of another user folder",
  async run(browser, base) {
    const { ctx, saves } = await contextWithSaves(browser, base);
    const said = [];
    try {
      for (const [other, save] of [[[], "highscore.dat"], [["--userdir", "/elsewhere"], "highscore.dat"],
                                   [["--userdir", "/elsewhere"], "replays/last.pfr"]]) {
        const args = [...other, "--timedemo", `${SAVES_DIR}/replays/last.pfr`, "--frame-log", `${SAVES_DIR}/${save}`];
        const page = await ctx.newPage();
        await page.addInitScript((a) => { window.Module = { arguments: a }; }, args);
        await page.goto(base, { waitUntil: "commit" });
        const lines = await waitForLine(page, (l) => l.includes("would replace"), START_WAIT)
          .catch((e) => { throw new Error(`${args.join(" ")}: ${e.message}`); });
        await hideAndPersist(page);
        const changed = changedSaves(saves, await savesOf(page));
        await page.close();
        expect(changed.length === 0, `${args.join(" ")} changed ${changed.join(", ")}`);
        said.push(lines.find((l) => l.includes("would replace")).replace(/^.* would replace /, ""));
      }
      return said.join("; ");
    } finally {
      await ctx.close();
    }
  },
};

// Files chosen with "Watch a replay file": a huge one and one that is no
// replay are refused with a word on the page and leave nothing behind; a
// replay is watched and not kept either.
const chosenCases = [
  { name: "a 70 MB file chosen to watch is refused on the page and nothing of it is kept",
    file: "huge.pfr", bytes: () => Buffer.concat([Buffer.from("PFRP"), Buffer.alloc(70 << 20)]), refused: true },
  { name: "a chosen file that is no replay is refused on the page and nothing of it is kept",
    file: "notes.pfr", bytes: () => Buffer.from("these are notes, not a replay\n".repeat(50)), refused: true },
  { name: "a chosen replay is watched, then nothing of it is kept",
    file: "chosen.pfr", bytes: () => readFileSync(join(ROOT, "tests/replays/mouse.pfr")), refused: false },
].map((c) => ({
  name: c.name,
  async run(browser, base) {
    const dir = mkdtempSync(join(tmpdir(), "pulsefield-chosen-"));
    const path = join(dir, c.file);
    writeFileSync(path, c.bytes());
    const { ctx, saves } = await contextWithSaves(browser, base);
    try {
      const { page } = await open(browser, base, "?no-intro", ctx);
      await page.setInputFiles("#replayfile", path);
      let said;
      if (c.refused) {
        const lines = await waitForLine(page, (l) => l.includes(`"${c.file}"`), START_WAIT);
        said = lines.find((l) => l.includes(`"${c.file}"`));
        expect(/not watched/.test(said) && (await noticeOf(page)) === said, `the page said "${said}"`);
        await pageShot(page, `refused-${c.file}`);
      } else {
        // The page starts again and the game plays the replay.
        const end = Date.now() + START_WAIT;
        let pic = null;
        while (!(pic && inPlay(pic))) {
          expect(Date.now() < end, `the chosen replay does not play: ${pic ? describe(pic) : "no canvas"}`);
          await page.waitForTimeout(SETTLE);
          pic = await picture(page, "chosen-replay").catch(() => null);
        }
        said = describe(pic);
        expect(page.url() === base, `the replay became a link: ${page.url()}`);
      }
      await page.goto(base + "?no-intro", { waitUntil: "commit" });
      await waitForTitle(page, "after-chosen");
      const changed = changedSaves(saves, await savesOf(page));
      expect(changed.length === 0, `the saves changed: ${changed.join(", ")}`);
      const handed = await page.evaluate(() => sessionStorage.length);
      expect(handed === 0, `the page keeps ${handed} items for the tab`);
      return said;
    } finally {
      await ctx.close();
      rmSync(dir, { recursive: true, force: true });
    }
  },
}));

// ---- measurements (printed, not asserted)

// A timedemo's last line, its summary (lines before it tell how the glow was drawn).
const SUMMARY = /^timedemo: frames=/;

// The median of some numbers.
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)] ?? 0;

// A window whose stage is 800 CSS pixels wide and tall enough: the canvas
// shows at 800x600, as the desktop's window.
const [watchW, watchH] = option("--window", "800x900").split("x").map(Number);
const WATCH_VIEWPORT = { width: watchW, height: watchH };

// A long game watched as a player watches a replay: the animation frames
// the browser ran each wall second (it runs no more than it draws), the
// game's own count of painted frames and its pass time from the frame log.
async function measureWatching(browser, base) {
  const file = timedemoFile || join(ROOT, "tests/timedemo",
    readdirSync(join(ROOT, "tests/timedemo")).filter((f) => f.endsWith(".pfr")).sort()[0]);
  const game = basename(file);
  copyFileSync(file, join(WEB, "games", `measure-${game}`));
  const ctx = await browser.newContext({ viewport: WATCH_VIEWPORT });
  try {
    const { page } = await open(browser, base, `?replay=games/measure-${game}&frame-log=/frames.csv`, ctx);
    const shown = await page.evaluate(() => {
      // The canvas sized as the page sizes it after any change of the window.
      window.dispatchEvent(new Event("resize"));
      const c = document.getElementById("canvas");
      window.pulsefieldFrameTimes = [];
      const count = (t) => { window.pulsefieldFrameTimes.push(t); requestAnimationFrame(count); };
      requestAnimationFrame(count);
      return `${c.clientWidth}x${c.clientHeight} CSS px, backing ${c.width}x${c.height}`;
    });
    await page.waitForTimeout(watchSeconds * 1000);
    const times = await page.evaluate(() => window.pulsefieldFrameTimes);
    const backing = await page.evaluate(() => `${canvas.width}x${canvas.height}`);
    await page.keyboard.press("Escape");
    const lines = await waitForLine(page, (l) => l.startsWith("watched:") || GAVE_UP.test(l), START_WAIT);
    const log = await page.evaluate(() => FS.readFile("/frames.csv", { encoding: "utf8" })).catch(() => "");
    // Whole wall seconds after the first frame counted, the last (partial) left out.
    const perSecond = [];
    for (const t of times) perSecond[Math.floor((t - times[0]) / 1000)] = (perSecond[Math.floor((t - times[0]) / 1000)] || 0) + 1;
    perSecond.pop();
    const passes = log.split("\n").slice(1).filter((l) => l).map((l) => Number(l.split(",")[1]));
    console.log(`watching ${game} in the page for ${watchSeconds} s, canvas ${shown} (${backing} at the end): ` +
                `animation frames a second p50=${median(perSecond)} min=${Math.min(...perSecond)}; ` +
                `the game's pass p50=${median(passes).toFixed(1)} ms; ` +
                (lines.find((l) => l.startsWith("watched:")) || lines.slice(-3).join(" | ")));
  } finally {
    await ctx.close();
  }
}

async function measure(browser, base) {
  if (watchSeconds > 0) return measureWatching(browser, base);
  // Start-up: navigation to the title's first frame; the transfer, as sent
  // and as gzip -9 would send it.
  const ctx = await browser.newContext({ viewport: VIEWPORT });
  const bodies = [];
  ctx.on("response", async (r) => {
    const body = await r.body().catch(() => null);
    if (body) bodies.push({ url: r.url(), bytes: body.length, gzip: gzipSync(body, { level: 9 }).length });
  });
  const { page } = await open(browser, base, "?no-intro", ctx);
  const first = await page.evaluate(() => window.pulsefieldFirstFrame);
  console.log(`start-up: first frame of the title ${first.toFixed(0)} ms after navigation`);
  let total = 0, gz = 0;
  for (const b of bodies) {
    total += b.bytes;
    gz += b.gzip;
    console.log(`  ${b.url.replace(/^.*\//, "").padEnd(22)} ${String(b.bytes).padStart(9)} bytes, ${String(b.gzip).padStart(9)} gzip -9`);
  }
  console.log(`transfer: ${total} bytes in ${bodies.length} responses, ${gz} bytes gzip -9`);
  await ctx.close();

  // One long recorded game, a tick a frame, painted by software WebGL.
  const file = timedemoFile || join(ROOT, "tests/timedemo",
    readdirSync(join(ROOT, "tests/timedemo")).filter((f) => f.endsWith(".pfr")).sort()[0]);
  const game = basename(file);
  copyFileSync(file, join(WEB, "games", `measure-${game}`));
  const demo = await open(browser, base, `?timedemo=games/measure-${game}`);
  const started = Date.now(), budget = timedemoMinutes * 60000;
  let summary = null;
  while (!summary) {
    const lines = await waitForLine(demo.page, (l) => SUMMARY.test(l) || GAVE_UP.test(l), PROGRESS_EVERY)
      .catch(() => null);
    const secs = (Date.now() - started) / 1000;
    if (lines) {
      summary = `timedemo of ${game} in the page (${secs.toFixed(0)} s): ` +
                (lines.find((l) => SUMMARY.test(l)) || lines.slice(-3).join(" | "));
      break;
    }
    const frames = await demo.page.evaluate(() => window.pulsefieldFrames);
    const line = `${frames} frames in ${secs.toFixed(0)} s: ${(frames / secs).toFixed(1)} a second, ` +
                 `${((1000 * secs) / frames).toFixed(1)} ms a frame`;
    console.log(`  timedemo of ${game}: ${line}`);
    if (Date.now() - started > budget)
      summary = `timedemo of ${game} in the page stopped after ${timedemoMinutes} minutes: ${line}`;
  }
  console.log(summary);
  await demo.ctx.close();
}

// ---- the run

// The recorded games beside the page: the replays under their names, the
// long games as timedemo-NAME (some share a name with a replay).
mkdirSync(join(WEB, "games"), { recursive: true });
for (const [dir, prefix] of [["tests/replays", ""], ["tests/timedemo", "timedemo-"]])
  for (const f of readdirSync(join(ROOT, dir)).filter((f) => f.endsWith(".pfr")))
    copyFileSync(join(ROOT, dir, f), join(WEB, "games", prefix + f));

const { server, base } = await serve();
// Stopped from outside, the script stops its server too (Chromium goes by itself).
for (const signal of ["SIGINT", "SIGTERM"])
  process.on(signal, () => {
    server.kill();
    process.exit(1);
  });
const browser = await chromium.launch(LAUNCH);
let passed = 0, failed = 0;
try {
  if (measuring) {
    await measure(browser, base);
  } else {
    const cases = [...replayCases, ...pictureCases, ...otherCases, ...startCases, ...downloadCases,
                   ...layoutCases, ...againCases, linkSuite, gameRefusalSuite, ...chosenCases];
    for (const c of cases.filter((c) => c.name.includes(only))) {
      const t0 = Date.now();
      try {
        const said = await c.run(browser, base);
        passed++;
        console.log(`ok   ${c.name} (${((Date.now() - t0) / 1000).toFixed(1)} s)${said ? ": " + said : ""}`);
      } catch (e) {
        failed++;
        console.log(`FAIL ${c.name}: ${e.message}`);
      }
    }
  }
} finally {
  await browser.close();
  server.kill();
}
if (!measuring) console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
