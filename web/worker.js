// Runs the engine off the page's thread: each message names a call and its
// arguments, the answer carries the same id and the call's JSON result. After
// an error of the module, the next call gets a new one.
'use strict';
importScripts('gridwick.js');

let ready = GridwickModule();
const calls = {
  grade: ['gw_grade', ['string', 'string', 'number']],
  check: ['gw_check', ['string']],
  hint: ['gw_hint', ['string', 'string', 'string', 'string']],
  generate: ['gw_generate', ['string', 'number', 'number', 'number']],
  style: ['gw_style', []],
};

function call(m, name, args) {
  const [fn, types] = calls[name];
  const ptr = m.ccall(fn, 'number', types, args);
  const text = m.UTF8ToString(ptr);
  m._free(ptr);
  return name === 'style' ? text : JSON.parse(text);
}

self.onmessage = async (e) => {
  const { id, name, args } = e.data;
  let result;
  try {
    result = call(await ready, name, args);
  } catch (err) {
    // The module may be left in any state (a trap, an abort): a fresh one
    // takes the next call.
    result = { ok: false, error: `The engine failed (${err}); it has been restarted.` };
    ready = GridwickModule();
  }
  self.postMessage({ id, result });
};
