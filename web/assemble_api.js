// Build step: writes the page's gif2frm.js, one script that carries
// everything, so that nothing is fetched at run time: api.js with the
// worker's function (worker.js) where it holds its place, and in that
// function the linker's JavaScript for the core, the core itself deflated
// (raw DEFLATE, RFC 1951: a third of its size, where base64 of the plain
// core gzips to two thirds) as base64, and fflate's release file, which
// inflates it.
// Usage: node assemble_api.js API.js WORKER.js LINKED.js CORE.wasm FFLATE.js OUTPUT.js
'use strict';
const fs = require('fs');
const zlib = require('zlib');

const [apiPath, workerPath, linkedPath, wasmPath, fflatePath, outputPath] =
    process.argv.slice(2);

// text with the one place of marker (exactly one) given to content.
function put(text, marker, content, what) {
  const at = text.indexOf(marker);
  if (at < 0 || text.indexOf(marker, at + 1) >= 0) {
    console.error(`${what}: expected ${marker} exactly once`);
    process.exit(1);
  }
  return text.slice(0, at) + content + text.slice(at + marker.length);
}

const read = (path) => fs.readFileSync(path, 'utf8');
let worker = read(workerPath);
// The function alone, without the comment above it.
worker = worker.slice(worker.indexOf('function gif2frmWorker('));
const core = zlib.deflateRawSync(fs.readFileSync(wasmPath),
                                 {level: 9, memLevel: 9});
worker = put(worker, '@GIF2FRM_CORE_BASE64@', core.toString('base64'),
             workerPath);
worker = put(worker, '/*@GIF2FRM_CORE_GLUE@*/', read(linkedPath), workerPath);
worker = put(worker, '/*@GIF2FRM_FFLATE@*/', read(fflatePath), workerPath);
const api = put(read(apiPath), '/*@GIF2FRM_WORKER@*/null', worker.trimEnd(),
                apiPath);
fs.writeFileSync(outputPath, api);
