// The page: sends each request to a worker that runs the engine, so that the
// page stays responsive; generation has a worker of its own that "Halt" ends.
'use strict';

const $ = (id) => document.getElementById(id);
const LEVELS = ['', 'Easy', 'Medium', 'Hard', 'Crazy', 'Insane', 'Kamikaze', 'Extreme', 'Mayhem', 'Outlaw'];

// The longest text a field may hand to the engine, in bytes, as the command
// line's longest line: a puzzle, even as nine lines of nine with borders,
// takes far less, and the engine gets no text it was not made for.
const MAX_TEXT = 4096;

// A worker with promise-returning calls. Should the worker itself fail, the
// calls waiting on it end with the error and a new worker takes the next ones.
function engine() {
  let w = null;
  const waiting = new Map();
  let next = 1;
  const failAll = (error) => {
    for (const resolve of waiting.values()) resolve({ ok: false, error });
    waiting.clear();
  };
  const start = () => {
    w = new Worker('worker.js');
    w.onmessage = (e) => {
      const resolve = waiting.get(e.data.id);
      waiting.delete(e.data.id);
      if (resolve) resolve(e.data.result);
    };
    w.onerror = (e) => {
      e.preventDefault();
      w.terminate();
      failAll(`The engine failed (${e.message || 'unknown error'}); it has been restarted.`);
      start();
    };
  };
  start();
  return {
    call(name, ...args) {
      const id = next++;
      return new Promise((resolve) => {
        waiting.set(id, resolve);
        w.postMessage({ id, name, args });
      });
    },
    stop() {
      w.terminate();
      failAll('halted');
    },
  };
}

// Why the fields' texts cannot go to the engine ('' when they can).
function tooLong(fields) {
  for (const [name, text] of fields) {
    const bytes = new TextEncoder().encode(text).length;
    if (bytes > MAX_TEXT) return `${name} is too long (${bytes} bytes; at most ${MAX_TEXT}): a puzzle is 81 cells.`;
  }
  return '';
}

const main = engine();
let maker = null;        // the generation worker while one runs
let shown = null;        // the grading on show
let current = 0;         // the figure on show: 0 the puzzle, k the grid before step k

function status(text, error = false) {
  $('status').textContent = text;
  $('status').className = error ? 'error' : '';
}

function busy(on) {
  for (const id of ['grade', 'new', 'hintstep']) $(id).disabled = on;
}

function figure(svg, caption) {
  const f = document.createElement('figure');
  f.innerHTML = svg;
  const c = document.createElement('figcaption');
  c.innerHTML = caption;
  f.appendChild(c);
  return f;
}

function escape(text) {
  return text.replace(/[&<>"]/g, (ch) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[ch]);
}

function show(k) {
  const figures = $('figures').children;
  const steps = $('steps').children;
  current = Math.max(0, Math.min(k, figures.length - 1));
  for (let i = 0; i < figures.length; ++i) figures[i].classList.toggle('current', i === current);
  for (let i = 0; i < steps.length; ++i) steps[i].classList.toggle('current', i + 1 === current);
  const n = shown.grading.steps.length;
  const f = shown.frames[current];
  $('where').textContent = current === 0 ? `the puzzle (${n} steps)` : f.label ? `step ${f.label} of ${n}` : f.text.split(':')[0].toLowerCase();
  $('prev').disabled = current === 0;
  $('next').disabled = current === figures.length - 1;
}

// A frame's caption: its number and line, then a forcing chain's branches or a
// trial's refutation, node by node, a line each.
function caption(f) {
  const head = f.label ? `<b>${f.label}.</b> ${escape(f.text)}` : escape(f.text);
  return head + f.details.map((d) => `<br><span class="detail">${escape(d)}</span>`).join('');
}

function render(r) {
  shown = r;
  const g = r.grading;
  $('title').textContent = `${LEVELS[g.level]} (level ${g.level}), score ${g.score.toFixed(2)}, ${g.steps.length} steps`;
  const figures = $('figures');
  const list = $('steps');
  figures.replaceChildren();
  list.replaceChildren();
  r.frames.forEach((f, i) => {
    figures.appendChild(figure(f.svg, caption(f)));
    if (i === 0) return;
    // A step numbered by the list; a trial's own steps, its solved grid and
    // the stuck grid stand under it, unnumbered.
    const li = document.createElement('li');
    if (/^[0-9]+$/.test(f.label)) {
      li.value = Number(f.label);
      li.textContent = f.text;
    } else {
      li.className = 'inner';
      li.textContent = f.label ? `${f.label}. ${f.text}` : f.text;
    }
    li.onclick = () => show(i);
    list.appendChild(li);
  });
  $('result').hidden = false;
  show(g.steps.length > 0 ? 1 : 0);
}

async function grade() {
  const long = tooLong([['The puzzle', $('puzzle').value], ['Without', $('without').value]]);
  if (long) {
    status(long, true);
    return;
  }
  busy(true);
  status('Grading…');
  const t0 = performance.now();
  const r = await main.call('grade', $('puzzle').value, $('without').value, 1);
  busy(false);
  if (!r.ok) {
    status(r.error, true);
    return;
  }
  const g = r.grading;
  status(`Valid, one solution. ${LEVELS[g.level]} (${g.level}), score ${g.score.toFixed(2)}: graded in ${Math.round(performance.now() - t0)} ms.`);
  render(r);
  Play.start(g.puzzle, g.solution);
}

async function newPuzzle() {
  const levels = $('levels').value;
  const hunt = /[789]/.test(levels) ? 1 : 0;
  const seed = crypto.getRandomValues(new Uint32Array(1))[0];
  busy(true);
  $('halt').disabled = false;
  maker = engine();
  const t0 = performance.now();
  const tick = setInterval(() => status(`Searching for ${$('levels').selectedOptions[0].text}… ${((performance.now() - t0) / 1000).toFixed(0)} s`), 500);
  status('Searching…');
  const r = await maker.call('generate', levels, hunt, seed, 0);
  clearInterval(tick);
  maker.stop();
  maker = null;
  $('halt').disabled = true;
  busy(false);
  if (!r.ok) {
    status(r.error === 'halted' ? 'Halted.' : r.error, r.error !== 'halted');
    return;
  }
  $('puzzle').value = r.puzzle;
  await grade();
  status(`New ${LEVELS[r.level]} puzzle after ${r.tries} tries in ${((performance.now() - t0) / 1000).toFixed(1)} s.`);
}

$('grade').onclick = grade;
$('new').onclick = newPuzzle;
$('halt').onclick = () => maker && maker.stop();
$('prev').onclick = () => show(current - 1);
$('next').onclick = () => show(current + 1);
$('all').onclick = () => {
  const all = $('figures').classList.toggle('all');
  $('all').textContent = all ? 'One at a time' : 'Show all';
};

Play.init((...args) => main.call(...args), () => $('without').value);
main.call('style').then((css) => {
  $('svg-style').textContent = css;
  status('Ready.');
  if (location.hash === '#grade') grade();
});
