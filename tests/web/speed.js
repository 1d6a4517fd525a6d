// A measurement, not a test: the time of one conversion through the page's
// API in headless Chromium against a run of the native program, on the same
// GIF and arguments. Each side runs a few times first, then the median and
// the best of the timed runs are printed.
// Usage: node speed.js FILE.gif [ARGUMENT...]   (e.g. the benchmark's photo,
// build/bench/bench-corpus/a-photo-dithered.gif)
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const {openPage, convertNatively} = require('./browser.js');

const rounds = 21;

function summary(times) {
  const sorted = [...times].sort((a, b) => a - b);
  return `median ${sorted[sorted.length >> 1].toFixed(1)} ms, ` +
         `best ${sorted[0].toFixed(1)} ms`;
}

async function main() {
  const [file, ...options] = process.argv.slice(2);
  if (!file) throw new Error('usage: node speed.js FILE.gif [ARGUMENT...]');
  const name = path.basename(file);
  const bytes = fs.readFileSync(file);
  const args = [...options, name];

  const native = [];
  for (let i = 0; i < rounds + 3; i++) {
    const started = process.hrtime.bigint();
    const result = convertNatively({[name]: bytes}, args);
    if (i >= 3) native.push(Number(process.hrtime.bigint() - started) / 1e6);
    if (result.status !== 0) throw new Error(result.stdout.toString());
  }

  const session = await openPage();
  try {
    const inPage = await session.page.evaluate(async (base64, list, count) => {
      const input = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
      const times = [];
      for (let i = 0; i < count + 3; i++) {
        const started = performance.now();
        const result = await gif2frm.convert({[list[list.length - 1]]: input}, list);
        if (i >= 3) times.push(performance.now() - started);
        if (result.status !== 0) throw new Error(result.stdout);
      }
      return times;
    }, bytes.toString('base64'), args, rounds);
    console.log(`gif2frm ${args.join(' ')} (${bytes.length} bytes)`);
    console.log(`  in the browser (gif2frm.convert): ${summary(inPage)}`);
    console.log(`  native program (process, temporary folder, fsync): ` +
                `${summary(native)}`);
  } finally {
    await session.close();
  }
}

main().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
