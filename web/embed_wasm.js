// Build step: writes the page's gif2frm.js, the linker's JavaScript with the
// WebAssembly module put in as base64 where api.js holds its place, so that
// one script carries everything and nothing is fetched at run time.
// Usage: node embed_wasm.js LINKED.js CORE.wasm OUTPUT.js
'use strict';
const fs = require('fs');

const [linkedPath, wasmPath, outputPath] = process.argv.slice(2);
const placeholder = '@GIF2FRM_CORE_BASE64@';
const linked = fs.readFileSync(linkedPath, 'utf8');
const at = linked.indexOf(placeholder);
if (at < 0 || linked.indexOf(placeholder, at + 1) >= 0) {
  console.error(`${linkedPath}: expected ${placeholder} exactly once`);
  process.exit(1);
}
const base64 = fs.readFileSync(wasmPath).toString('base64');
fs.writeFileSync(outputPath, linked.slice(0, at) + base64 +
                                 linked.slice(at + placeholder.length));
