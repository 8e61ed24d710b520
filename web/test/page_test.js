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
    await page('Emulation.setDeviceMetricsOverride', { width: 1100, height: 900, deviceScaleFactor: 1, mobile: false });
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

    // The hint from the puzzle is the first step; a bad puzzle is reported.
    await value("document.getElementById('hint').click()");
    await waitFor("!document.getElementById('hintbox').hidden", 'the hint');
    const hint = await value("document.getElementById('hinttext').textContent");
    assert.strictEqual(hint, await value("document.querySelector('#steps li').textContent"));
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
