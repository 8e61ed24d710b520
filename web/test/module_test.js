// The WebAssembly engine against the native command line on the benchmark
// set: the same level and the same steps for every puzzle, and the same
// signature. Prints the time of both.
// usage: node module_test.js SITE_DIR GRIDWICK_CLI
'use strict';
const assert = require('assert');
const { execFileSync } = require('child_process');
const path = require('path');

const [site, cli] = process.argv.slice(2);
const GridwickModule = require(path.resolve(site, 'gridwick.js'));

GridwickModule().then((m) => {
  const call = (fn, types, args) => {
    const ptr = m.ccall(fn, 'number', types, args);
    const text = m.UTF8ToString(ptr);
    m._free(ptr);
    return text;
  };
  const puzzles = call('gw_benchmark_puzzles', [], []).trim().split('\n');
  assert(puzzles.length > 1000, 'no benchmark set');

  let t0 = process.hrtime.bigint();
  const native = execFileSync(cli, ['grade', '--format', 'jsonl', '-q'], { input: puzzles.join('\n') + '\n', maxBuffer: 1 << 30 })
    .toString().trim().split('\n').map((l) => JSON.parse(l));
  const nativeMs = Number(process.hrtime.bigint() - t0) / 1e6;
  assert.strictEqual(native.length, puzzles.length);

  t0 = process.hrtime.bigint();
  const wasm = puzzles.map((p) => JSON.parse(call('gw_grade_json', ['string'], [p])));
  const wasmMs = Number(process.hrtime.bigint() - t0) / 1e6;
  wasm.forEach((r, i) => {
    assert(r.ok, `puzzle ${i + 1}: ${r.error}`);
    assert.strictEqual(r.grading.level, native[i].level, `puzzle ${i + 1}: level`);
    assert.strictEqual(r.grading.score, native[i].score, `puzzle ${i + 1}: score`);
    assert.deepStrictEqual(r.grading.steps, native[i].steps, `puzzle ${i + 1}: steps`);
  });

  const cpu0 = process.cpuUsage();
  const signature = call('gw_bench_signature', [], []);
  const cpu = process.cpuUsage(cpu0);
  const signatureCpu = (cpu.user + cpu.system) / 1e6;
  const bench = execFileSync(cli, ['bench']).toString();
  const nativeCpu = Number(/time: ([0-9.]+) s CPU/.exec(bench)[1]);
  assert.strictEqual(signature, '9bcd6d9cf3cc7d13');

  const bad = JSON.parse(call('gw_grade', ['string', 'string', 'number'], ['12345', '', 0]));
  assert(!bad.ok && bad.error.length > 0, 'a bad puzzle is reported');
  const page = JSON.parse(call('gw_grade', ['string', 'string', 'number'], [puzzles[0], '', 1]));
  assert.strictEqual(page.frames.length, page.grading.steps.length + 1);
  console.log(`web module: ${puzzles.length} gradings identical to the command line's; signature ${signature}`);
  console.log(`  with steps and patterns (JSON): wasm ${wasmMs.toFixed(0)} ms, native command line ${nativeMs.toFixed(0)} ms`);
  console.log(`  the bench set graded for its signature: wasm ${signatureCpu.toFixed(2)} s CPU, ` +
              `native (gridwick bench) ${nativeCpu.toFixed(2)} s CPU: ${(signatureCpu / nativeCpu).toFixed(2)}x`);
}).catch((e) => {
  console.error(e);
  process.exit(1);
});
