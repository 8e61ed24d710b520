// Runs the engine off the page's thread: each message names a call and its
// arguments, the answer carries the same id and the call's JSON result.
'use strict';
importScripts('gridwick.js');

const ready = GridwickModule();
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
  const m = await ready;
  const { id, name, args } = e.data;
  let result;
  try {
    result = call(m, name, args);
  } catch (err) {
    result = { ok: false, error: String(err) };
  }
  self.postMessage({ id, result });
};
