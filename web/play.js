// Play mode: the solver fills cells and pencil marks on the page's own board,
// with undo and redo, a check that flags wrong digits only when asked, an
// optional timer, and hints in four stages taken from the solver's own digits
// and marks (the engine's first step from there). Progress is kept in the
// browser's local storage, one entry per puzzle.
'use strict';

const Play = (() => {
  const $ = (id) => document.getElementById(id);
  const bit = (d) => 1 << (d - 1);
  const rowOf = (c) => Math.floor(c / 9), colOf = (c) => c % 9;
  const boxOf = (c) => 3 * Math.floor(rowOf(c) / 3) + Math.floor(colOf(c) / 3);
  const sees = (a, b) => a !== b && (rowOf(a) === rowOf(b) || colOf(a) === colOf(b) || boxOf(a) === boxOf(b));
  const name = (c) => `r${rowOf(c) + 1}c${colOf(c) + 1}`;
  // The cells of a unit named as the engine names it: "r3", "c7", "b5".
  const unitCells = (u) => {
    const k = Number(u[1]) - 1;
    const all = [...Array(81).keys()];
    if (u[0] === 'r') return all.filter((c) => rowOf(c) === k);
    if (u[0] === 'c') return all.filter((c) => colOf(c) === k);
    return all.filter((c) => boxOf(c) === k);
  };

  let call = null;         // the engine's calls (the page's worker)
  let without = () => '';  // the rungs the page switches off
  let puzzle = '', solution = '';
  let grid = [], marks = [];  // digits (0 empty) and pencil marks (bit d-1; 0 not marked)
  let undo = [], redo = [];
  let selected = -1, pencil = false, flagged = new Set();
  let hint = null, stage = 0;  // the hint on show and how much of it is shown (0 none, 1..3)
  let elapsed = 0, since = 0, tick = null;

  const given = (c) => puzzle[c] !== '.';
  const storageKey = () => `gridwick.play.${puzzle}`;
  const solved = () => grid.every((d, c) => String(d) === solution[c]);

  // The digits no peer holds: what a cell not marked yet may still be.
  function candidates(c) {
    let m = 511;
    for (let p = 0; p < 81; ++p) if (grid[p] && sees(c, p)) m &= ~bit(grid[p]);
    return m;
  }

  function seconds() { return elapsed + (since ? (Date.now() - since) / 1000 : 0); }
  function clock() {
    const s = Math.floor(seconds());
    return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
  }
  function showClock() { $('clock').textContent = $('timer').checked ? clock() : ''; }
  function runTimer(on) {
    if (on && !since && !solved()) since = Date.now();
    if (!on && since) {
      elapsed = seconds();
      since = 0;
    }
    clearInterval(tick);
    tick = on ? setInterval(showClock, 1000) : null;
    showClock();
  }

  function save() {
    if (!puzzle) return;
    try {
      localStorage.setItem(storageKey(), JSON.stringify({ grid, marks, elapsed: seconds(), timer: $('timer').checked }));
    } catch (e) { /* storage full or switched off: play goes on unsaved */ }
  }

  function say(text) { $('playstatus').textContent = text; }

  // Every change goes through here: undoable, saved, and the hint on show
  // no longer fits the grid.
  function change(edit) {
    const before = { grid: grid.slice(), marks: marks.slice() };
    if (edit() === false) return;
    undo.push(before);
    redo = [];
    afterChange();
  }
  function afterChange() {
    flagged.clear();
    clearHint();
    save();
    draw();
    if (solved()) {
      runTimer(false);
      say(`Solved${$('timer').checked ? ` in ${clock()}` : ''}!`);
    }
  }
  function travel(from, to) {
    if (!from.length) return;
    to.push({ grid: grid.slice(), marks: marks.slice() });
    ({ grid, marks } = from.pop());
    afterChange();
  }

  function enter(d) {
    const c = selected;
    if (c < 0 || given(c)) return;
    if (pencil && d) {
      change(() => {
        if (grid[c]) return false;
        marks[c] ^= bit(d);
        return true;
      });
    } else {
      change(() => {
        grid[c] = grid[c] === d ? 0 : d;
        return true;
      });
    }
  }

  // Clears the selected cell's digit, else its pencil marks.
  function erase() {
    const c = selected;
    change(() => {
      if (c < 0 || given(c) || (!grid[c] && !marks[c])) return false;
      if (grid[c]) grid[c] = 0;
      else marks[c] = 0;
      return true;
    });
  }

  function fillCandidates() {
    change(() => {
      for (let c = 0; c < 81; ++c) marks[c] = grid[c] ? 0 : (marks[c] || 511) & candidates(c);
      return true;
    });
  }

  function check() {
    flagged = new Set(grid.map((d, c) => (d && String(d) !== solution[c] ? c : -1)).filter((c) => c >= 0));
    draw();
    say(flagged.size === 0 ? 'No wrong digit so far.' : `${flagged.size} wrong digit${flagged.size > 1 ? 's' : ''}, marked in red.`);
  }

  // The board: one button a cell, a digit or its pencil marks.
  function draw() {
    const board = $('board');
    if (board.children.length !== 81) {
      board.replaceChildren();
      for (let c = 0; c < 81; ++c) {
        const b = document.createElement('button');
        b.className = 'cell';
        b.dataset.cell = c;
        b.onclick = () => select(c);
        board.appendChild(b);
      }
    }
    const look = new Set(), pattern = new Map(), struck = new Map(), placed = new Map();
    if (hint && stage >= 1) for (const c of hint.look) look.add(c);
    if (hint && stage >= 2) for (const { cell, digits } of hint.step.pattern.cells || []) pattern.set(cell, (pattern.get(cell) || 0) | digits.reduce((m, d) => m | bit(d), 0));
    if (hint && stage >= 3) {
      for (const [kind, cell, digit] of hint.step.changes) {
        if (kind === 'R') struck.set(cell, (struck.get(cell) || 0) | bit(digit));
        else placed.set(cell, digit);
      }
    }
    for (let c = 0; c < 81; ++c) {
      const b = $('board').children[c];
      const cls = ['cell', `r${rowOf(c)}`, `c${colOf(c)}`];
      if (given(c)) cls.push('given');
      if (c === selected) cls.push('selected');
      else if (selected >= 0 && grid[selected] && grid[c] === grid[selected]) cls.push('same');
      if (flagged.has(c)) cls.push('wrong');
      if (look.has(c)) cls.push('look');
      if (pattern.has(c)) cls.push('pattern');
      b.className = cls.join(' ');
      b.setAttribute('aria-label', `${name(c)}: ${grid[c] || 'empty'}`);
      if (grid[c]) {
        b.textContent = String(grid[c]);
        continue;
      }
      if (placed.has(c)) {
        b.innerHTML = `<span class="to-place">${placed.get(c)}</span>`;
        continue;
      }
      // Marks left beside a placed peer are struck as a player strikes them.
      const m = marks[c] & candidates(c);
      let html = '<span class="marks">';
      for (let d = 1; d <= 9; ++d) {
        // In a cell not marked yet the hint's own candidates still show.
        const shown = m & bit(d) || (((struck.get(c) | pattern.get(c)) & bit(d)) && !marks[c]);
        const k = [shown ? 'on' : ''];
        if (pattern.get(c) & bit(d)) k.push('pat');
        if (struck.get(c) & bit(d)) k.push('gone');
        html += `<span class="${k.join(' ')}">${shown ? d : ''}</span>`;
      }
      b.innerHTML = html + '</span>';
    }
    $('undo').disabled = undo.length === 0;
    $('redo').disabled = redo.length === 0;
    $('pencil').setAttribute('aria-pressed', String(pencil));
    $('pencil').classList.toggle('on', pencil);
  }

  function select(c) {
    selected = c;
    draw();
    $('board').children[c].focus();
  }

  // A hint's stage 1: where to look, from the pattern's units, else its cells.
  function lookAt(step) {
    const p = step.pattern;
    // A trial's contradiction is what the hint is to find, not where to look.
    const units = [...new Set((p.units || []).filter((u) => u.role !== 'contradiction').map((u) => u.unit))];
    if (units.length) return { where: `in ${units.join(', ')}`, cells: units.flatMap(unitCells) };
    const cells = [...new Set((p.cells || []).filter((c) => c.role !== 'contradiction').map((c) => c.cell))];
    return { where: `at ${cells.map(name).join(', ')}`, cells };
  }

  function clearHint() {
    hint = null;
    stage = 0;
    $('hintfig').hidden = true;
    $('hintstep').textContent = 'Hint';
  }

  const nextLabel = ['Hint', 'Show the pattern', 'Show the changes', 'Apply the hint'];

  async function nextHint() {
    if (hint && stage === 3) {
      applyHint();
      return;
    }
    if (!hint) {
      $('hintstep').disabled = true;
      const progress = grid.map((d) => d || '.').join('');
      const r = await call('hint', puzzle, progress, marks.join(','), without());
      $('hintstep').disabled = false;
      if (!r.ok) {
        say(r.error);
        return;
      }
      if (r.status !== 'step') {
        say(r.status === 'solved' ? 'Solved!' : 'No rung of the ladder makes progress from here.');
        return;
      }
      const look = lookAt(r.step);
      hint = { step: r.step, text: r.text, svg: r.svg, look: look.cells, where: look.where };
    }
    stage += 1;
    const technique = hint.step.technique;
    if (stage === 1) say(`Hint: a ${technique} ${hint.where}.`);
    if (stage === 2) say(`Hint: ${hint.text.split(' => ')[0]}.`);
    if (stage === 3) {
      say(`Hint: ${hint.text}`);
      $('hintsvg').innerHTML = hint.svg;
      $('hinttext').textContent = hint.text;
      $('hintfig').hidden = false;
    }
    $('hintstep').textContent = nextLabel[stage];
    draw();
  }

  // Stage 4: the step's placements go into the grid and its removals into
  // the marks (a cell not marked yet gets its candidates first).
  function applyHint() {
    const step = hint.step;
    change(() => {
      for (const [kind, cell, digit] of step.changes) {
        if (kind === 'R') {
          if (!grid[cell]) marks[cell] = (marks[cell] || candidates(cell)) & ~bit(digit);
        } else {
          grid[cell] = digit;
          marks[cell] = 0;
        }
      }
      return true;
    });
    say(`Applied: ${step.technique}.`);
  }

  function key(e) {
    if (selected < 0 || (e.target.closest && e.target.closest('textarea, input, select'))) return;
    const k = e.key;
    if (/^[1-9]$/.test(k)) enter(Number(k));
    else if (k === '0' || k === 'Backspace' || k === 'Delete') erase();
    else if (k === 'p' || k === 'P') togglePencil();
    else if ((e.ctrlKey || e.metaKey) && k === 'z') travel(undo, redo);
    else if ((e.ctrlKey || e.metaKey) && k === 'y') travel(redo, undo);
    else if (k.startsWith('Arrow')) {
      const move = { ArrowUp: -9, ArrowDown: 9, ArrowLeft: -1, ArrowRight: 1 }[k];
      select((selected + move + 81) % 81);
    } else return;
    e.preventDefault();
  }

  function togglePencil() {
    pencil = !pencil;
    draw();
  }

  function init(calls, withoutRungs) {
    call = calls;
    without = withoutRungs;
    const pad = $('pad');
    for (let d = 1; d <= 9; ++d) {
      const b = document.createElement('button');
      b.textContent = String(d);
      b.onclick = () => enter(d);
      pad.appendChild(b);
    }
    $('erase').onclick = erase;
    $('pencil').onclick = togglePencil;
    $('fill').onclick = fillCandidates;
    $('undo').onclick = () => travel(undo, redo);
    $('redo').onclick = () => travel(redo, undo);
    $('check').onclick = check;
    $('hintstep').onclick = nextHint;
    $('timer').onchange = () => {
      runTimer($('timer').checked);
      save();
    };
    document.addEventListener('keydown', key);
  }

  // A graded puzzle to play: its progress comes back from local storage.
  function start(p, sol) {
    if (p === puzzle) return;
    puzzle = p;
    solution = sol;
    grid = [...p].map((ch) => (ch === '.' ? 0 : Number(ch)));
    marks = Array(81).fill(0);
    elapsed = 0;
    since = 0;
    let timer = false;
    try {
      const kept = JSON.parse(localStorage.getItem(storageKey()) || 'null');
      if (kept && kept.grid.length === 81 && kept.marks.length === 81) {
        ({ grid, marks } = kept);
        elapsed = kept.elapsed || 0;
        timer = !!kept.timer;
      }
    } catch (e) { /* nothing kept */ }
    undo = [];
    redo = [];
    selected = -1;
    flagged.clear();
    clearHint();
    $('timer').checked = timer;
    $('play').hidden = false;
    draw();
    say(solved() ? 'Solved!' : 'Click a cell and type a digit; Pencil (or P) writes pencil marks.');
    runTimer(timer);
  }

  return {
    init,
    start,
    // For the page's tests: what the solver has, and the hint's changes.
    state: () => ({ grid: grid.slice(), marks: marks.slice(), stage, selected }),
    hintChanges: () => (hint ? hint.step.changes : null),
  };
})();
