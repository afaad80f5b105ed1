// The web build in headless chromium, driven through puppeteer-core: the page loads without
// console errors, the title shows, a key (or a controller button) starts a game that moves,
// and that key starts the sound. A failing check prints the browser's console.
//
// Usage: node scripts/web_browser_test.js SITE_FOLDER [--bench N] [--desktop BURROWGALE]
//                                                     [--server BURROWGALE_SERVER]
//   (NODE_PATH must reach puppeteer-core: see scripts/web_browser_test.sh)
//   --bench N: only load the page N times and print the time to the first title frame.
//   --desktop BURROWGALE: the desktop program, which must verify a game played in the page.
//   --server BURROWGALE_SERVER: only the leaderboard's path, with the page served by a real
//     server: the day's ranked run played in the page is ranked there, and its watch link plays.
'use strict';

const {spawn, spawnSync} = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const puppeteer = require('puppeteer-core');

const kWidth = 1280;   // the game's canvas
const kHeight = 720;
const kControlsLine = 28;  // the page's line under the canvas (index.html)
const kPromptTop = 640;    // the title's blinking prompt is below this row

// ---- PNG decoding (chromium's screenshots and the game's own title picture) ----

function decodePng(buffer) {
  let offset = 8;
  let width = 0, height = 0, colorType = 0;
  const idat = [];
  while (offset < buffer.length) {
    const length = buffer.readUInt32BE(offset);
    const type = buffer.toString('ascii', offset + 4, offset + 8);
    const data = buffer.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      if (data[8] !== 8 || data[12] !== 0) throw new Error('only 8-bit non-interlaced PNGs');
      colorType = data[9];
    } else if (type === 'IDAT') {
      idat.push(data);
    }
    offset += 12 + length;
  }
  const channels = {2: 3, 6: 4}[colorType];
  if (!channels) throw new Error(`PNG colour type ${colorType} not handled`);
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const out = Buffer.alloc(width * height * channels);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; x++) {
      const a = x >= channels ? out[y * stride + x - channels] : 0;
      const b = y > 0 ? out[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? out[(y - 1) * stride + x - channels] : 0;
      let value;
      switch (filter) {
        case 0: value = line[x]; break;
        case 1: value = line[x] + a; break;
        case 2: value = line[x] + b; break;
        case 3: value = line[x] + ((a + b) >> 1); break;
        case 4: {
          const p = a + b - c;
          const pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
          value = line[x] + (pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
          break;
        }
        default: throw new Error(`PNG filter ${filter}`);
      }
      out[y * stride + x] = value & 0xff;
    }
  }
  return {
    width, height,
    rgb(x, y) {
      const i = (y * width + x) * channels;
      return [out[i], out[i + 1], out[i + 2]];
    },
  };
}

// ---- what a frame shows ----

function close(p, q, tolerance = 3) {
  return p.every((v, i) => Math.abs(v - q[i]) <= tolerance);
}

// Share of a grid of sample points above the prompt where the frame shows the title picture
// (drawn at twice its size).
function titleLikeness(frame, title) {
  let same = 0, all = 0;
  for (let y = 4; y < kPromptTop; y += 16) {
    for (let x = 4; x < kWidth; x += 16) {
      all++;
      if (close(frame.rgb(x, y), title.rgb(x >> 1, y >> 1))) same++;
    }
  }
  return same / all;
}

// Share of sample points above the prompt that differ between two frames.
function difference(p, q) {
  let differ = 0, all = 0;
  for (let y = 2; y < kPromptTop; y += 8) {
    for (let x = 2; x < kWidth; x += 8) {
      all++;
      if (!close(p.rgb(x, y), q.rgb(x, y))) differ++;
    }
  }
  return differ / all;
}

function distinctColours(frame) {
  const seen = new Set();
  for (let y = 0; y < kHeight; y += 8) {
    for (let x = 0; x < kWidth; x += 8) seen.add(frame.rgb(x, y).join(','));
  }
  return seen.size;
}

// ---- a static server for the site folder ----

// `routes` answers some paths itself: name -> function (response).
function serve(folder, routes = {}) {
  const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                 '.data': 'application/octet-stream', '.png': 'image/png'};
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    if (routes[name]) {
      routes[name](response);
      return;
    }
    const file = path.join(folder, name === '/' ? 'index.html' : name);
    if (!file.startsWith(folder) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                             'Cache-Control': 'no-cache'});
    fs.createReadStream(file).pipe(response);
  });
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// ---- the run ----

class Failure extends Error {}

function check(condition, message) {
  if (!condition) throw new Failure(message);
}

async function launch(profile) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--enable-unsafe-swiftshader',
           // This machine's network is closed: nothing may try to reach out.
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--no-first-run',
           // A browser's default for pages: silent until the player does something.
           '--autoplay-policy=document-user-activation-required', `--window-size=${kWidth},${kHeight + kControlsLine}`],
    defaultViewport: {width: kWidth, height: kHeight + kControlsLine},
  });
}

// Console lines, uncaught errors and failed requests of one page, kept for the report.
function watch(page, log) {
  page.on('console', m => log.push({kind: m.type(), text: m.text()}));
  page.on('pageerror', e => log.push({kind: 'pageerror', text: String(e)}));
  page.on('requestfailed', r => log.push({kind: 'requestfailed', text: r.url()}));
  page.on('response', r => {
    if (r.status() >= 400) log.push({kind: 'http', text: `${r.status()} ${r.url()}`});
  });
}

// Entries that mean something went wrong: errors, failed requests, anything the game wrote to
// stderr (the page shows those as errors). Chromium's own deprecation notice for the audio
// node SDL uses is a warning and passes.
function problems(log) {
  return log.filter(e => ['error', 'pageerror', 'requestfailed', 'http'].includes(e.kind));
}

// Puppeteer's own evaluations count as a user gesture, which would let the sound start before
// any key; everything the test reads goes through the protocol without one.
async function quiet(page) {
  if (!page.quietSession) page.quietSession = await page.createCDPSession();
  return page.quietSession;
}

async function read(page, expression) {
  const session = await quiet(page);
  const reply = await session.send('Runtime.evaluate',
                                   {expression, returnByValue: true, userGesture: false});
  if (reply.exceptionDetails) throw new Error(`${expression}: ${reply.exceptionDetails.text}`);
  return reply.result.value;
}

// The canvas as shown (at 1:1: the window leaves exactly one canvas and the line of controls).
async function frame(page) {
  const session = await quiet(page);
  const shot = await session.send('Page.captureScreenshot', {
    format: 'png', clip: {x: 0, y: 0, width: kWidth, height: kHeight, scale: 1}});
  return decodePng(Buffer.from(shot.data, 'base64'));
}

// Every wait ends on what it waits for; its deadline only has to catch a page that never gets
// there, so it is set for a machine running the whole suite on few cores (`ctest -j6` on two),
// never for a quiet one. The figure a caller gives is a floor.
const kPatienceMs = 120000;

async function waitFor(what, test, timeoutMs = kPatienceMs) {
  const limit = Math.max(timeoutMs, kPatienceMs);
  const deadline = Date.now() + limit;
  for (;;) {
    const result = await test();
    if (result) return result;
    check(Date.now() < deadline, `timed out after ${limit / 1000} s waiting for ${what}`);
    await new Promise(r => setTimeout(r, 100));
  }
}

// The game takes one step per animation frame of its page: once `count` more have passed, it
// has seen every key pressed before. Used between key presses instead of a guessed pause.
async function frames(page, count) {
  let timer;
  const late = new Promise((resolve, reject) => {
    timer = setTimeout(() => reject(new Error(
        `timed out after ${kPatienceMs / 1000} s waiting for ${count} frames of the page`)), kPatienceMs);
  });
  try {
    await Promise.race([late, page.evaluate(n => new Promise(resolve => {
      const next = left => (left === 0 ? resolve() : requestAnimationFrame(() => next(left - 1)));
      next(n);
    }), count)]);
  } finally {
    clearTimeout(timer);
  }
}

// Loads the page and waits for the title; returns the milliseconds from navigation to the
// first screenshot that showed it.
async function loadTitle(page, url, title) {
  const started = Date.now();
  await page.goto(url, {waitUntil: 'load'});
  await waitFor('the title picture', async () => {
    const shot = await frame(page);
    return titleLikeness(shot, title) > 0.97;
  }, 60000);
  return Date.now() - started;
}

// ---- a game played in the page verifies on the desktop ----

// The seed a replay file was recorded with: after the magic number, the format version
// (a varint) and the game version (length first) comes the seed, a varint.
function replaySeed(bytes) {
  let pos = 4;
  const varint = () => {
    let value = 0, shift = 0;
    for (;;) {
      const byte = bytes[pos++];
      check(byte !== undefined, 'the replay ends in its header');
      value += (byte & 0x7f) * 2 ** shift;
      if (byte < 0x80) return value;
      shift += 7;
    }
  };
  varint();
  pos += bytes[pos] + 1;
  return varint();
}

// A game of a seed named in the address, steered by scripted keys and given up, must replay
// on the desktop as it was played in the page; a bad seed in the address stops the game with
// the desktop's own line. Pages of their own, in the same browser as the other steps.
async function seededGameVerifies(browser, url, title, desktop, log) {
  const kSeed = 4242;
  const replayFile = '/home/web_user/.local/share/burrowgale/last.replay';
  const page = await browser.newPage();
  watch(page, log);
  await loadTitle(page, `${url}?seed=${kSeed}`, title);
  // A replay left by an earlier step must not pass for this game's.
  await read(page, `(function () { try { FS.unlink('${replayFile}'); } catch (e) {} })()`);
  const titleShot = await frame(page);
  await page.keyboard.press('Enter');
  await waitFor('the play screen of the seeded game', async () => {
    const shot = await frame(page);
    return difference(titleShot, shot) > 0.5 && titleLikeness(shot, title) < 0.2;
  }, 20000);
  for (const [key, holdMs] of [['ArrowLeft', 400], ['ArrowRight', 900], ['d', 300], ['a', 600]]) {
    await page.keyboard.down(key);
    await new Promise(r => setTimeout(r, holdMs));
    await page.keyboard.up(key);
    await new Promise(r => setTimeout(r, 250));
  }
  await page.keyboard.press('Escape');  // pause
  await frames(page, 5);
  await page.keyboard.press('Escape');  // give up
  const encoded = await waitFor('the seeded game\'s replay', () => read(page, `(function () {
      try {
        var bytes = FS.readFile('${replayFile}'), text = '';
        for (var i = 0; i < bytes.length; i++) text += String.fromCharCode(bytes[i]);
        return btoa(text);
      } catch (e) { return ''; }
    })()`), 10000);
  await page.close();
  const bytes = Buffer.from(encoded, 'base64');
  check(replaySeed(bytes) === kSeed, `the game played seed ${replaySeed(bytes)}, not ${kSeed}`);

  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'burrowgale-page-game-'));
  try {
    const file = path.join(work, 'page.replay');
    fs.writeFileSync(file, bytes);
    const run = spawnSync(desktop, ['--verify', file], {encoding: 'utf8'});
    check(run.status === 0, `the desktop's --verify exits ${run.status} on the page's game:\n` +
          `${run.stdout}${run.stderr}`);
    const frames = Number((run.stdout.match(/replayed: .* (\d+) frames/) || [])[1]);
    check(frames > 60, `the page's game lasted only ${frames} frames`);
    console.log(`ok: a game of seed ${kSeed} played in the page (${frames} frames) verifies ` +
                'on the desktop');
  } finally {
    fs.rmSync(work, {recursive: true, force: true});
  }

  // Its console errors are expected: the game prints the line and its usage on stderr.
  const badPage = await browser.newPage();
  await badPage.goto(`${url}?seed=4294967296`, {waitUntil: 'load'});
  await waitFor('the page saying the seed is wrong', () => read(badPage,
      `document.getElementById('status').textContent.includes(
           "--seed needs a whole number from 0 to 4294967295, not '4294967296'")`), 20000);
  await badPage.close();
  console.log('ok: a bad seed in the address stops the game with one line');
}

// ---- watch links ----

// Paths of the test's static server for watch links that cannot be played.
function badReplayRoutes() {
  // One byte over the largest replay the game reads (its own header says how large), with no
  // length declared: the page must count as it reads.
  const cap = fs.readFileSync(path.join(__dirname, '..', 'game', 'world', 'replay.h'), 'utf8')
    .match(/kMaxFileSize = (\d+)u << (\d+);/);
  const huge = Buffer.alloc(Number(cap[1]) * 2 ** Number(cap[2]) + 1, 1);
  huge.write('BGRP');
  const octets = {'Content-Type': 'application/octet-stream', 'Cache-Control': 'no-cache'};
  const send = body => response => {
    response.on('error', () => {});  // the page hangs up on the huge one
    response.writeHead(200, octets);
    response.write(body);  // written, then ended: sent in chunks, its length unsaid
    response.end();
  };
  // Starts like a replay, and then is not one.
  const broken = Buffer.from('BGRP\xff\xff\xff\xff not a replay after all', 'latin1');
  return {'/huge.replay': send(huge), '/broken.replay': send(broken)};
}

const kNotice = `(function () {
    var line = document.getElementById('controls');
    return line.className === 'notice' ? line.textContent : '';
  })()`;

// Each address the page cannot follow says why in one line: the game starts as usual when the
// page could tell before it started, and stops with the game's own line when only the game
// could. Nothing throws.
async function badLinks(browser, url, title) {
  const replay = link => `replay=${encodeURIComponent(link)}`;
  const cases = [
    {query: replay('http://example.invalid/run.replay'),
     says: /replay http:\/\/example\.invalid\/run\.replay is on another site/},
    {query: replay('//example.invalid/run.replay'), says: /is on another site/},
    {query: replay('/no-such.replay'), says: /could not be played: the site answered 404\./},
    {query: replay('/index.html'), says: /could not be played: it is not a Burrowgale replay\./},
    {query: replay('/huge.replay'),
     says: /could not be played: it is larger than a replay can be \(4 MiB\)\./},
    {query: replay('/broken.replay'), stops: /^The game stopped: \/tmp\/linked\.replay: ./},
    // A link must not send the player's key to another site.
    {query: 'server=https%3A%2F%2Fexample.invalid', says: /leaderboard https:\/\/example\.invalid is on another site/},
  ];
  for (const {query, says, stops} of cases) {
    const log = [];
    const page = await browser.newPage();
    watch(page, log);
    const address = `${url}?${query}`;
    if (says) {
      await loadTitle(page, address, title);
      const said = await waitFor(`the page to say why it does not follow ?${query}`,
                                 () => read(page, kNotice), 10000);
      check(says.test(said), `for ?${query} the page says: ${said}`);
    } else {
      await page.goto(address, {waitUntil: 'load'});
      let said = '';
      await waitFor(`the page to stop on ?${query}`, async () =>
        stops.test(said = await read(page, `document.getElementById('status').textContent`)), 20000)
        .catch(error => { throw new Failure(`${error.message}; the page says: ${said}`); });
    }
    const thrown = log.filter(e => e.kind === 'pageerror');
    check(thrown.length === 0, `?${query}: ${thrown.map(e => e.text).join('; ')}`);
    await page.close();
  }
  console.log(`ok: ${cases.length} links the page cannot follow each say why in one line`);
}

// ---- the leaderboard: a real server serving the page ----

// burrowgale-server on a scratch database and any free port, serving the site under /play/.
async function startServer(binary, site, work) {
  const child = spawn(binary, ['--db', path.join(work, 'runs.db'), '--listen', '127.0.0.1:0',
                               '--site', site, '--rate-limit', '0'],
                      {stdio: ['ignore', 'pipe', 'pipe']});
  let out = '', err = '';
  child.stdout.on('data', d => { out += d; });
  child.stderr.on('data', d => { err += d; });
  const port = await waitFor('the server to listen', () => {
    check(child.exitCode === null && !child.killed, `the server did not start: ${err}`);
    const m = out.match(/listening on 127\.0\.0\.1:(\d+)/);
    return m ? Number(m[1]) : 0;
  }, 60000);
  return {child, port, errors: () => err};
}

async function stopServer(server) {
  if (server.child.exitCode !== null) return;
  const stopped = new Promise(resolve => server.child.once('exit', resolve));
  server.child.kill('SIGTERM');
  await stopped;
}

// The daily dig started from the title's key in a page that a link pointed at the server it
// came from: the ranked run is sent, the server ranks it under the name the link gave, and the
// board's watch link for it plays it back in the page.
async function leaderboardFlow(browser, serverBinary, site, title, log, step) {
  const kName = 'PageDigger';
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'burrowgale-page-server-'));
  const server = await startServer(serverBinary, site, work);
  try {
    const origin = `http://127.0.0.1:${server.port}`;
    const dailyLog = '/home/web_user/.local/share/burrowgale/daily/daily.txt';
    const fileText = file => `(function () {
        try { return FS.readFile('${file}', {encoding: 'utf8'}); } catch (e) { return ''; }
      })()`;

    step('the page, pointed at its own server, plays the daily dig');
    const page = await browser.newPage();
    watch(page, log);
    // "/": the site the page came from, which the settings must name in full.
    await loadTitle(page, `${origin}/play/index.html?server=%2F&name=${kName}`, title);
    const settings = await read(page, fileText('/home/web_user/.config/burrowgale/settings.txt'));
    check(settings.includes(`leaderboard_url = ${origin}\n`) &&
          settings.includes(`player_name = ${kName}\n`),
          `the address's server and name are not the settings:\n${settings}`);
    const titleShot = await frame(page);
    await page.keyboard.press('l');  // the daily dig
    await waitFor('the daily game', async () => {
      const shot = await frame(page);
      return difference(titleShot, shot) > 0.5 && titleLikeness(shot, title) < 0.2;
    }, 20000);
    for (const [key, holdMs] of [['ArrowRight', 500], ['ArrowLeft', 700], ['ArrowRight', 400]]) {
      await page.keyboard.down(key);
      await new Promise(r => setTimeout(r, holdMs));
      await page.keyboard.up(key);
      await new Promise(r => setTimeout(r, 300));
    }
    await page.keyboard.press('Escape');  // pause
    await frames(page, 5);
    await page.keyboard.press('Escape');  // give up: the ranked try ends and is sent

    step('the server ranks the run');
    let daily = '';
    await waitFor('the daily run to be sent and ranked', async () =>
      / state=sent /.test(daily = await read(page, fileText(dailyLog))))
      .catch(error => { throw new Failure(`${error.message}; the daily log holds:\n${daily}`); });
    const field = name => (daily.match(new RegExp(`(?:^| )${name}=(\\S*)`, 'm')) || [])[1];
    const date = field('date');
    check(`${field('rank')} of ${field('of')}` === '1 of 1', `the game kept:\n${daily}`);
    const board = await fetch(`${origin}/api/v1/daily/${date}`).then(r => r.text());
    const runs = (JSON.parse(board).runs || []);
    check(runs.length === 1 && runs[0].rank === 1 && runs[0].name === kName,
          `the board of ${date} holds: ${board}`);
    await page.close();
    console.log(`ok: the daily run played in the page is ranked 1 of 1 as ${kName} ` +
                `(${runs[0].depth} m)`);

    step('the board\'s watch link plays the run in the page');
    const html = await fetch(`${origin}/daily/${date}`).then(r => r.text());
    const href = (html.match(/href="(\/play\/index\.html\?replay=[^"]*)"/) || [])[1];
    check(href && href.includes(`%2Fruns%2F${runs[0].id}%2F`),
          `no watch link for run ${runs[0].id} on the board:\n${html}`);
    const watching = await browser.newPage();
    watch(watching, log);
    await watching.goto(origin + href.replace(/&amp;/g, '&'), {waitUntil: 'load'});
    const first = await waitFor('the replay on screen', async () => {
      const shot = await frame(watching);
      return titleLikeness(shot, title) < 0.2 && distinctColours(shot) >= 8 ? shot : null;
    }, 20000);
    await waitFor('the replay to move', async () => difference(first, await frame(watching)) > 0.001);
    const state = JSON.parse(await read(watching, `JSON.stringify({
        notice: ${kNotice},
        status: getComputedStyle(document.getElementById('status')).display,
        replay: Module.arguments.join(' ')})`));
    check(state.notice === '' && state.status === 'none', `the page says: ${JSON.stringify(state)}`);
    check(state.replay === '--replay /tmp/linked.replay', `the game was started with ${state.replay}`);
    await watching.close();
    console.log('ok: the board\'s watch link plays the run in the page');
  } finally {
    await stopServer(server);
    const errors = server.errors();
    fs.rmSync(work, {recursive: true, force: true});
    check(errors === '', `the server wrote to stderr:\n${errors}`);
  }
}

async function main() {
  const args = process.argv.slice(2);
  const site = path.resolve(args[0] || '');
  const benchIndex = args.indexOf('--bench');
  const benchRuns = benchIndex >= 0 ? Number(args[benchIndex + 1]) : 0;
  const desktopIndex = args.indexOf('--desktop');
  const desktop = desktopIndex >= 0 ? path.resolve(args[desktopIndex + 1] || '') : '';
  const serverIndex = args.indexOf('--server');
  const serverBinary = serverIndex >= 0 ? path.resolve(args[serverIndex + 1] || '') : '';
  const root = path.resolve(__dirname, '..');
  if (!fs.existsSync(path.join(site, 'index.html'))) {
    console.error(`FAIL: no page in ${site}: build it with ./web.sh`);
    return 1;
  }
  const title = decodePng(fs.readFileSync(path.join(root, 'content', 'title.png')));

  const server = await serve(site, badReplayRoutes());
  const url = `http://127.0.0.1:${server.address().port}/index.html`;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'burrowgale-chromium-'));
  const browser = await launch(profile);
  const log = [];
  let current = 'starting the browser';
  try {
    if (benchRuns > 0) {
      const times = [];
      for (let i = 0; i < benchRuns; i++) {
        const page = await browser.newPage();
        times.push(await loadTitle(page, url, title));
        await page.close();
      }
      times.sort((a, b) => a - b);
      console.log(`navigation to first title frame, ${benchRuns} loads: min ${times[0]} ms, ` +
                  `median ${times[times.length >> 1]} ms, max ${times[times.length - 1]} ms`);
      return 0;
    }

    if (serverBinary) {
      await leaderboardFlow(browser, serverBinary, site, title, log, what => { current = what; });
      current = 'the console stayed clean';
      const bad = problems(log);
      check(bad.length === 0, `${bad.length} console error(s) or failed request(s)`);
      console.log('ok: no console errors');
      return 0;
    }

    const page = await browser.newPage();
    watch(page, log);

    current = 'the page loads and shows the title';
    const loadMs = await loadTitle(page, url, title);
    console.log(`ok: title shown (${loadMs} ms after navigation, screenshots polled)`);
    const layout = await read(page, `JSON.stringify({
        status: getComputedStyle(document.getElementById('status')).display,
        controls: getComputedStyle(document.getElementById('controls')).visibility,
        canvas: document.getElementById('canvas').getBoundingClientRect()})`);
    const {status, controls, canvas} = JSON.parse(layout);
    check(status === 'none', 'the loading line is still showing');
    check(controls === 'visible', 'the line of controls is not showing');
    check(canvas.x === 0 && canvas.y === 0 && canvas.width === kWidth && canvas.height === kHeight,
          `the canvas is at ${JSON.stringify(canvas)}, not filling the window above the controls`);
    const audioBefore = await read(page, 'Module.SDL2.audioContext.state');
    check(audioBefore === 'suspended', `the audio context is ${audioBefore} before any key`);

    current = 'a key starts a game';
    const titleShot = await frame(page);
    await page.keyboard.press('Enter');
    const playShot = await waitFor('the play screen', async () => {
      const shot = await frame(page);
      return difference(titleShot, shot) > 0.5 && titleLikeness(shot, title) < 0.2 ? shot : null;
    }, 20000);
    check(distinctColours(playShot) >= 8, 'the play screen is nearly blank');
    await waitFor('the play screen to move', async () => difference(playShot, await frame(page)) > 0.001);
    console.log('ok: a key starts a game, and the game moves');

    current = 'the key started the sound';
    const audio = await waitFor('a running audio context', () => page.evaluate(() => {
      const context = Module.SDL2 && Module.SDL2.audioContext;
      return context && context.state === 'running' ? context.currentTime : 0;
    }), 5000);
    await waitFor('the audio clock to advance',
                  () => page.evaluate(t => Module.SDL2.audioContext.currentTime > t, audio));
    console.log('ok: the audio context runs after the key');

    current = 'fullscreen on F';
    // Held over frames: the game asks for fullscreen in its frame, and the browser grants it
    // only inside a key's own handler, so the request waits for the next key event. On a busy
    // machine a quick press can end before the frame that sees it, and no event would follow.
    await page.keyboard.down('f');
    await frames(page, 5);
    await page.keyboard.up('f');
    await waitFor('fullscreen', () => page.evaluate(() => document.fullscreenElement !== null), 5000);
    await page.keyboard.press('f');
    await waitFor('leaving fullscreen',
                  () => page.evaluate(() => document.fullscreenElement === null), 5000);
    console.log('ok: F enters and leaves fullscreen');

    current = 'the canvas follows the window';
    for (const [width, height] of [[1000, 1000], [2000, 600]]) {
      await page.setViewport({width, height});
      const canvasBox = async () => JSON.parse(await read(page,
          'JSON.stringify(document.getElementById("canvas").getBoundingClientRect())'));
      const fits = box => Math.abs(box.width - Math.min(width, (height - kControlsLine) * 16 / 9)) < 1 &&
          Math.abs(box.width * 9 / 16 - box.height) < 1;
      let box = await canvasBox();
      await waitFor(`the canvas to fit a ${width}x${height} window`,
                    async () => fits(box = await canvasBox())).catch(() => {});
      check(fits(box), `in a ${width}x${height} window the canvas is ${box.width}x${box.height}`);
    }
    await page.setViewport({width: kWidth, height: kHeight + kControlsLine});
    console.log('ok: the canvas fills the window at 16:9');

    current = 'a game given up is kept in the browser';
    const records = '/home/web_user/.local/share/burrowgale/records.txt';
    const fileText = file => `(function () {
        try { return FS.readFile('${file}', {encoding: 'utf8'}); } catch (e) { return ''; }
      })()`;
    const storedBefore = await read(page, 'Module.filesStored');
    await page.keyboard.press('Escape');  // pause
    await frames(page, 5);
    await page.keyboard.press('Escape');  // give up: the game ends and is recorded
    const kept = await waitFor('the records file', () => read(page, fileText(records)), 10000);
    check(kept.split('\n').filter(line => line.trim()).length >= 2,
          `the records file holds no game:\n${kept}`);
    await waitFor('the files stored in the browser', () => read(page,
        `Module.filesStored > ${storedBefore} && !Module.filesStoring`), 10000);
    await page.reload({waitUntil: 'load'});
    await loadTitle(page, url, title);
    const reloaded = await read(page, fileText(records));
    check(reloaded === kept, `after a reload the records file holds:\n${reloaded}`);
    check(await read(page, fileText('/home/web_user/.local/share/burrowgale/last.replay')) !== '',
          'after a reload the last game\'s replay is gone');
    console.log('ok: a game given up is recorded, and the record survives a reload');

    current = 'a second tab leaves the first one\'s storage alone';
    check(await read(page, 'Module.ownsStorage') === true && await read(page, kNotice) === '',
          'the first tab does not own the storage');
    const second = await browser.newPage();
    watch(second, log);
    await loadTitle(second, url, title);
    const said = await waitFor('the second tab saying so', () => read(second, kNotice), 10000);
    check(/another tab/.test(said) && /keeps no records/.test(said),
          `the second tab says: ${said}`);
    // Whatever it would store never reaches the storage.
    await read(second, `FS.writeFile('${records}', 'not records\\n'), Module.saveFiles(), true`);
    await new Promise(r => setTimeout(r, 1000));
    check(await read(second, 'Module.filesStored') === 0, 'the second tab stored its files');
    await second.close();
    await page.reload({waitUntil: 'load'});
    await loadTitle(page, url, title);
    check(await read(page, fileText(records)) === kept,
          `after a second tab the records file holds:\n${await read(page, fileText(records))}`);
    check(await read(page, kNotice) === '', 'the first tab, reloaded, says its storage is taken');
    console.log('ok: a second tab says it keeps nothing, and the first tab\'s records survive');

    current = 'the options play a compressed effect and keep the settings';
    const settings = '/home/web_user/.config/burrowgale/settings.txt';
    const storedSettings = await read(page, 'Module.filesStored');
    await page.keyboard.press('Tab');         // the options
    await frames(page, 5);
    await page.keyboard.press('ArrowDown');   // effects volume
    await frames(page, 5);
    await page.keyboard.press('ArrowLeft');   // one lower, with a sample at the new level
    await frames(page, 5);
    await page.keyboard.press('Escape');      // back to the title, saving
    // F earlier saved the settings already: wait for the options' own save, not for the file.
    let saved = '';
    await waitFor('the settings file to hold the lower effects volume', async () =>
      /effects_volume\s*=\s*9/.test(saved = await read(page, fileText(settings))))
      .catch(error => { throw new Failure(`${error.message}; the settings file holds:\n${saved}`); });
    await waitFor('the settings stored in the browser', () => read(page,
        `Module.filesStored > ${storedSettings} && !Module.filesStoring`), 10000);
    console.log('ok: the options play an effect and their settings are kept');

    current = 'Escape on the title ends the game';
    await page.keyboard.press('Escape');
    await waitFor('the page saying the game has ended', () => read(page,
        `document.getElementById('status').textContent.includes('ended')`), 10000);
    await waitFor('the sound to stop', () => read(page,
        `!Module.SDL2.audioContext || Module.SDL2.audioContext.state !== 'running'`), 10000);
    console.log('ok: Escape on the title ends the game and its sound');

    current = 'a controller';
    // A page of its own, with a pretend standard controller behind the Gamepad API.
    const padPage = await browser.newPage();
    watch(padPage, log);
    await padPage.evaluateOnNewDocument(() => {
      const buttons = Array.from({length: 17}, () => ({pressed: false, touched: false, value: 0}));
      const pad = {id: 'Pretend pad', index: 0, connected: true, mapping: 'standard',
                   timestamp: performance.now(), axes: [0, 0, 0, 0], buttons};
      navigator.getGamepads = () => [pad, null, null, null];
      window.pressPadButton = (index, down) => {
        buttons[index] = {pressed: down, touched: down, value: down ? 1 : 0};
        pad.timestamp = performance.now();
      };
      window.plugInPad = () => {
        const event = new Event('gamepadconnected');
        event.gamepad = pad;
        window.dispatchEvent(event);
      };
    });
    await loadTitle(padPage, url, title);
    await padPage.evaluate(() => window.plugInPad());
    await frames(padPage, 5);
    const padTitle = await frame(padPage);
    await padPage.evaluate(() => window.pressPadButton(0, true));  // A, the bottom face button
    await frames(padPage, 5);
    await padPage.evaluate(() => window.pressPadButton(0, false));
    await waitFor('the play screen after a controller button', async () => {
      const shot = await frame(padPage);
      return difference(padTitle, shot) > 0.5 && titleLikeness(shot, title) < 0.2;
    }, 20000);
    await padPage.close();
    console.log('ok: a controller button starts a game');

    current = 'links the page cannot follow';
    await badLinks(browser, url, title);

    current = 'a seeded game played in the page verifies on the desktop';
    if (desktop) await seededGameVerifies(browser, url, title, desktop, log);
    else console.log('skipped: a game played in the page verifying on the desktop (no --desktop)');

    current = 'the console stayed clean';
    const bad = problems(log);
    check(bad.length === 0, `${bad.length} console error(s) or failed request(s)`);
    console.log('ok: no console errors');
    return 0;
  } catch (error) {
    console.error(`FAIL (${current}): ${error instanceof Failure ? error.message : error.stack}`);
    console.error('--- the browser console:');
    for (const entry of log) console.error(`[${entry.kind}] ${entry.text}`);
    return 1;
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }
}

main().then(code => process.exit(code), error => {
  console.error(`FAIL: ${error.stack}`);
  process.exit(1);
});
