// The page: sends each request to a worker that runs the engine, so that the
// page stays responsive; generation has a worker of its own that "Halt" ends.
'use strict';

const $ = (id) => document.getElementById(id);
const LEVELS = ['', 'Easy', 'Medium', 'Hard', 'Crazy', 'Insane', 'Kamikaze', 'Extreme', 'Mayhem', 'Outlaw'];

// A worker with promise-returning calls.
function engine() {
  const w = new Worker('worker.js');
  const waiting = new Map();
  let next = 1;
  w.onmessage = (e) => {
    const resolve = waiting.get(e.data.id);
    waiting.delete(e.data.id);
    if (resolve) resolve(e.data.result);
  };
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
      for (const resolve of waiting.values()) resolve({ ok: false, error: 'halted' });
      waiting.clear();
    },
  };
}

const main = engine();
let maker = null;        // the generation worker while one runs
let shown = null;        // the grading on show
let current = 0;         // the figure on show: 0 the puzzle, k the grid before step k
let pendingHint = null;  // the hint's placements, for "Apply hint"

function status(text, error = false) {
  $('status').textContent = text;
  $('status').className = error ? 'error' : '';
}

function busy(on) {
  for (const id of ['grade', 'hint', 'new']) $(id).disabled = on;
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
  $('where').textContent = current === 0 ? `the puzzle (${n} steps)` : current <= n ? `step ${current} of ${n}` : 'stuck';
  $('prev').disabled = current === 0;
  $('next').disabled = current === figures.length - 1;
}

function render(r) {
  shown = r;
  const g = r.grading;
  $('title').textContent = `${LEVELS[g.level]} (level ${g.level}), ${g.steps.length} steps`;
  const figures = $('figures');
  const list = $('steps');
  figures.replaceChildren();
  list.replaceChildren();
  figures.appendChild(figure(r.svgs[0], 'The puzzle'));
  r.texts.forEach((text, i) => {
    figures.appendChild(figure(r.svgs[i], `<b>${i + 1}.</b> ${escape(text)}`));
    const li = document.createElement('li');
    li.textContent = text;
    li.onclick = () => show(i + 1);
    list.appendChild(li);
  });
  if (g.level === 9) figures.appendChild(figure(r.svgs[r.texts.length], 'Stuck: no technique makes progress'));
  $('result').hidden = false;
  show(g.steps.length > 0 ? 1 : 0);
}

async function grade() {
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
  status(`Valid, one solution. ${LEVELS[g.level]} (${g.level}): graded in ${Math.round(performance.now() - t0)} ms.`);
  $('progress').value = g.puzzle;
  $('hintbox').hidden = true;
  render(r);
}

async function hint() {
  const progress = $('progress').value.trim() || $('puzzle').value;
  busy(true);
  const r = await main.call('hint', $('puzzle').value, progress, '', $('without').value);
  busy(false);
  pendingHint = null;
  $('apply').disabled = true;
  if (!r.ok) {
    status(r.error, true);
    return;
  }
  $('hintbox').hidden = false;
  if (r.status === 'step') {
    $('hintsvg').innerHTML = r.svg;
    $('hinttext').textContent = r.text;
    pendingHint = { progress, step: r.step };
    $('apply').disabled = false;
    status('Hint: ' + r.text);
  } else {
    $('hintsvg').innerHTML = '';
    $('hinttext').textContent = r.status === 'solved' ? 'Solved!' : 'No technique of the ladder makes progress here.';
    status($('hinttext').textContent);
  }
}

// Places the hint's digits in the progress (removals live only in the pencil marks).
function applyHint() {
  if (!pendingHint) return;
  const cells = pendingHint.progress.replace(/[^0-9.]/g, '').replace(/0/g, '.').split('');
  for (const [kind, cell, digit] of pendingHint.step.changes) if (kind === 'P' || kind === 'T') cells[cell] = String(digit);
  $('progress').value = cells.join('');
  pendingHint = null;
  $('apply').disabled = true;
  hint();
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
$('hint').onclick = hint;
$('apply').onclick = applyHint;
$('new').onclick = newPuzzle;
$('halt').onclick = () => maker && maker.stop();
$('prev').onclick = () => show(current - 1);
$('next').onclick = () => show(current + 1);
$('all').onclick = () => {
  const all = $('figures').classList.toggle('all');
  $('all').textContent = all ? 'One at a time' : 'Show all';
};

main.call('style').then((css) => {
  $('svg-style').textContent = css;
  status('Ready.');
  if (location.hash === '#grade') grade();
});
