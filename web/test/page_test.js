// The page in headless Chromium, driven over the DevTools pipe: it is served
// on 127.0.0.1, grades the puzzle it opens with, gives a hint, and a
// screenshot shows the drawn grid with the first step's pattern highlighted
// and its digit placed; a big paste and a failing engine leave it working.
// usage: node page_test.js SITE_DIR SCRATCH_DIR
'use strict';
const assert = require('assert');
const { spawn, execSync } = require('child_process');
const fs = require('fs');
const http = require('http');
const path = require('path');
const { colourCounts } = require('./png_colours.js');

const [site, scratch] = process.argv.slice(2);
fs.rmSync(scratch, { recursive: true, force: true });
fs.mkdirSync(scratch, { recursive: true });

const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css' };
const server = http.createServer((req, res) => {
  const name = path.basename(new URL(req.url, 'http://x').pathname) || 'index.html';
  const file = path.join(site, name);
  if (!fs.existsSync(file)) {
    res.writeHead(404).end();
    return;
  }
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
  res.end(fs.readFileSync(file));
});

function browserPath() {
  for (const name of ['chromium', 'chromium-browser']) {
    try {
      return execSync(`command -v ${name}`, { shell: '/bin/sh' }).toString().trim();
    } catch (e) { /* try the next name */ }
  }
  throw new Error('chromium is not installed (tools/install-deps.sh installs it)');
}

// DevTools messages over the pipe: NUL-terminated JSON.
function devtools(child) {
  let next = 1, buffer = '';
  const waiting = new Map();
  child.stdio[4].on('data', (chunk) => {
    buffer += chunk.toString();
    let end;
    while ((end = buffer.indexOf('\0')) >= 0) {
      const msg = JSON.parse(buffer.slice(0, end));
      buffer = buffer.slice(end + 1);
      const w = waiting.get(msg.id);
      if (w) {
        waiting.delete(msg.id);
        if (msg.error) w.reject(new Error(JSON.stringify(msg.error)));
        else w.resolve(msg.result);
      }
    }
  });
  return (method, params = {}, sessionId = undefined) => new Promise((resolve, reject) => {
    const id = next++;
    waiting.set(id, { resolve, reject });
    child.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
  });
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Play mode: digits, pencil marks, undo and redo, the check, each hint stage,
// hints applied until one only removes candidates (the marks then change and
// the next hint moves on), progress kept over a reload, the puzzle finished.
// Pictures at a phone's width and a desktop's. Returns the first hint's text.
async function play(page, value, waitFor, puzzle) {
  const state = () => value('JSON.stringify(Play.state())').then(JSON.parse);
  const solution = await value('shown.grading.solution');
  const open = puzzle.indexOf('.');
  const press = (key) => value(`document.activeElement.dispatchEvent(new KeyboardEvent('keydown', { key: '${key}', bubbles: true }))`);
  const click = (id) => value(`document.getElementById('${id}').click()`);
  await waitFor("!document.getElementById('play').hidden", 'the board');
  await value(`document.querySelectorAll('#board .cell')[${open}].click()`);
  await press(solution[open]);
  assert.strictEqual((await state()).grid[open], Number(solution[open]), 'a typed digit');
  await press('Backspace');
  await click('pencil');
  await press('1');
  await press('2');
  assert.deepStrictEqual([(await state()).grid[open], (await state()).marks[open]], [0, 3], 'pencil marks 1 and 2');
  await click('undo');
  assert.strictEqual((await state()).marks[open], 1, 'undo takes the last mark back');
  await click('redo');
  assert.strictEqual((await state()).marks[open], 3, 'redo puts it again');
  await click('pencil');
  await press('Backspace');
  await press(String(Number(solution[open]) % 9 + 1));
  assert.strictEqual(await value("document.querySelectorAll('#board .wrong').length"), 0, 'no flag before the check');
  await click('check');
  assert.strictEqual(await value("document.querySelectorAll('#board .wrong').length"), 1, 'the wrong digit flagged');
  await press('Backspace');

  // The hint in stages, then applied, until a hint only removes candidates.
  const stage = async (n) => {
    await click('hintstep');
    await waitFor(`Play.state().stage === ${n}`, `hint stage ${n}`);
    return value("document.getElementById('playstatus').textContent");
  };
  let first = '', removal = null;
  for (let k = 0; k < 60 && !removal; ++k) {
    const where = await stage(1);
    assert.match(where, /^Hint: a .+ (in|at) [rcb]\d/);
    assert(await value("document.querySelectorAll('#board .look').length") > 0, 'where to look');
    await stage(2);
    assert(await value("document.querySelectorAll('#board .pattern').length") > 0, 'the pattern');
    const text = await stage(3);
    assert(!(await value("document.getElementById('hintfig').hidden")), 'the changes drawn');
    if (!first) {
      first = text.replace(/^Hint: /, '');
      assert.strictEqual(first, await value("document.querySelector('#steps li').textContent"));
    }
    const changes = await value('JSON.stringify(Play.hintChanges())').then(JSON.parse);
    if (changes.every(([kind]) => kind === 'R')) removal = changes;
    if (removal) fs.writeFileSync(path.join(scratch, 'hint-stage3.png'), await shot(page));
    await click('hintstep');
  }
  assert(removal, 'a hint that only removes candidates');
  const after = await state();
  for (const [, cell, digit] of removal) {
    assert(after.marks[cell] !== 0 && !(after.marks[cell] & (1 << (digit - 1))), `r${Math.floor(cell / 9) + 1}c${cell % 9 + 1} lost ${digit}`);
  }
  await stage(1);
  assert.notDeepStrictEqual(await value('JSON.stringify(Play.hintChanges())').then(JSON.parse), removal, 'the next hint moves on');
  fs.writeFileSync(path.join(scratch, 'hint-stage1.png'), await shot(page));
  await stage(2);
  fs.writeFileSync(path.join(scratch, 'hint-stage2.png'), await shot(page));

  // The progress survives a reload; then the puzzle is finished by hand.
  const kept = await state();
  await page('Page.reload', {});
  await waitFor("document.getElementById('title').textContent !== '' && !document.getElementById('play').hidden", 'the page again');
  assert.deepStrictEqual((await state()).grid, kept.grid, 'progress kept in local storage');
  await page('Emulation.setDeviceMetricsOverride', { width: 390, height: 844, deviceScaleFactor: 1, mobile: true });
  assert(await value('document.documentElement.scrollWidth') <= 390, 'the page fits 390 px');
  fs.writeFileSync(path.join(scratch, 'play-390.png'), await shot(page, true));
  await page('Emulation.setDeviceMetricsOverride', { width: 1200, height: 900, deviceScaleFactor: 1, mobile: false });
  fs.writeFileSync(path.join(scratch, 'play-1200.png'), await shot(page));
  await value('document.getElementById(\'timer\').click()');
  for (let c = 0; c < 81; ++c) {
    if ((await state()).grid[c]) continue;
    await value(`document.querySelectorAll('#board .cell')[${c}].click()`);
    await press(solution[c]);
  }
  assert.match(await value("document.getElementById('playstatus').textContent"), /^Solved in \d+:\d\d!$/);
  return first;
}

async function shot(page, full = false) {
  const params = { format: 'png' };
  if (full) params.captureBeyondViewport = true;
  return Buffer.from((await page('Page.captureScreenshot', params)).data, 'base64');
}

async function main() {
  await new Promise((r) => server.listen(0, '127.0.0.1', r));
  const url = `http://127.0.0.1:${server.address().port}/index.html#grade`;
  const child = spawn(browserPath(), ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync', '--hide-scrollbars',
    '--remote-debugging-pipe', `--user-data-dir=${path.join(scratch, 'profile')}`, 'about:blank'],
  { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'] });
  const send = devtools(child);
  try {
    const { targetId } = await send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await send('Target.attachToTarget', { targetId, flatten: true });
    const page = (method, params) => send(method, params, sessionId);
    await page('Emulation.setDeviceMetricsOverride', { width: 1100, height: 1500, deviceScaleFactor: 1, mobile: false });
    await page('Page.navigate', { url });
    const value = async (expr) => (await page('Runtime.evaluate', { expression: expr, awaitPromise: true })).result.value;
    const waitFor = async (expr, what) => {
      for (let i = 0; i < 600; ++i) {
        if (await value(expr)) return;
        await sleep(100);
      }
      throw new Error(`timed out waiting for ${what}: status "${await value("document.getElementById('status').textContent")}"`);
    };
    await waitFor("document.getElementById('title').textContent !== ''", 'the grading');
    const puzzle = await value("document.getElementById('puzzle').value");
    const title = await value("document.getElementById('title').textContent");
    assert.match(title, /^Medium \(level 2\), score 2\.\d\d, \d+ steps$/);
    const shot = Buffer.from((await page('Page.captureScreenshot', { format: 'png' })).data, 'base64');
    const pdf = Buffer.from((await page('Page.printToPDF', { printBackground: true })).data, 'base64');
    fs.writeFileSync(path.join(scratch, 'page.pdf'), pdf);
    fs.writeFileSync(path.join(scratch, 'page.png'), shot);
    const counts = colourCounts(shot, ['#cde8f8', '#009e73', '#000000', '#0072b2']);
    assert(counts['#cde8f8'] > 1500, `a highlighted pattern: ${JSON.stringify(counts)}`);
    assert(counts['#009e73'] > 40, `a placed digit: ${JSON.stringify(counts)}`);
    assert(counts['#000000'] > 3000, `grid lines and givens: ${JSON.stringify(counts)}`);
    assert(counts['#0072b2'] > 200, `the Grade button: ${JSON.stringify(counts)}`);

    const hint = await play(page, value, waitFor, puzzle);
    await value("document.getElementById('puzzle').value = '12345'; document.getElementById('grade').click()");
    await waitFor("document.getElementById('status').className === 'error'", 'the error');

    // A big paste is turned away before it reaches the engine; should the
    // engine fail all the same (here called past the page's check), the error
    // is shown and the next Grade works.
    await value("document.getElementById('puzzle').value = '4'.repeat(1500000); document.getElementById('grade').click()");
    assert.match(await value("document.getElementById('status').textContent"), /^The puzzle is too long \(1500000 bytes/);
    fs.writeFileSync(path.join(scratch, 'too-long.png'),
      Buffer.from((await page('Page.captureScreenshot', { format: 'png' })).data, 'base64'));
    const failed = await value("main.call('grade', '4'.repeat(1500000), '', 1).then((r) => r.error)");
    assert.match(failed, /^The engine failed \(.+\); it has been restarted\.$/);
    await value(`document.getElementById('puzzle').value = '${puzzle}'; document.getElementById('grade').click()`);
    await waitFor("document.getElementById('status').textContent.startsWith('Valid, one solution.')", 'a grading after the failure');
    console.log(`page test: ok: "${title}", hint "${hint}"; ${path.join(scratch, 'page.png')}`);
    await send('Browser.close');
  } finally {
    child.kill();
    server.close();
  }
}

main().catch((e) => {
  console.error('page test:', e.message);
  process.exit(1);
});
