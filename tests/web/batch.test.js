// The page's batch: many images converted one after another in the worker,
// each with the native program's bytes, message and status; every FRM in one
// .zip; the page answering input while a large file converts; Cancel.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {after, before, test} = require('node:test');
const {
  projectRoot, openPage, convertNatively, outputText, freshPage,
  waitUntilFinished, pageJobs, download,
} = require('./browser.js');
const {noiseGif, zipEntries} = require('./test_files.js');

const corpusDir = path.join(projectRoot, '..', 'shared', 'gif-corpus');
const walkGif = path.join(projectRoot, 'examples', 'walk.gif');

let session;
let folder;
let noisePath;
before(async () => {
  session = await openPage();
  folder = fs.mkdtempSync(path.join(os.tmpdir(), 'gif2frm-batch-'));
  noisePath = path.join(folder, 'noise.gif');
  fs.writeFileSync(noisePath, noiseGif(
      4000, 4000, 7, path.join(projectRoot, 'resources', 'palette.pal')));
});
after(async () => {
  if (session) await session.close();
  if (folder) fs.rmSync(folder, {recursive: true, force: true});
});

function corpusGifs(dir) {
  const found = [];
  for (const entry of fs.readdirSync(dir, {withFileTypes: true})) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) found.push(...corpusGifs(full));
    else if (entry.name.toLowerCase().endsWith('.gif')) found.push(full);
  }
  return found.sort();
}

test('a batch of the whole corpus: each file the native bytes, message and status; the .zip holds exactly the FRMs',
     async (t) => {
  const page = await freshPage(session);
  const gifs = corpusGifs(corpusDir);
  assert.ok(gifs.length > 400, `only ${gifs.length} GIFs in ${corpusDir}`);
  await (await page.$('#files')).uploadFile(...gifs);
  await page.select('#option-m', 'nearest');
  const started = Date.now();
  await page.click('#convert');
  await waitUntilFinished(page);
  t.diagnostic(`${gifs.length} GIFs converted in the page in ${Date.now() - started} ms`);

  const jobs = await pageJobs(page);
  // The page lists them in natural name order, which for these names is the
  // order of their base names, then of their folders.
  const byName = [...gifs].sort((a, b) => path.basename(a).localeCompare(
      path.basename(b), 'en', {numeric: true}));
  assert.equal(jobs.length, gifs.length);
  const differences = [];
  const expectedFrms = [];
  let converted = 0;
  jobs.forEach((job, i) => {
    const name = path.basename(byName[i]);
    assert.equal(job.label, name);
    const native = convertNatively({[name]: fs.readFileSync(byName[i])},
                                   ['-m=nearest', name]);
    const same = job.state === 'done' && job.status === native.status &&
        job.stdout === native.stdout.toString('utf8') &&
        JSON.stringify(Object.keys(job.outputs)) ===
            JSON.stringify(Object.keys(native.outputs)) &&
        Object.keys(native.outputs).every(
            (n) => outputText(native.outputs[n]) === outputText(job.outputs[n]));
    if (!same) differences.push(path.relative(corpusDir, byName[i]));
    if (native.status === 0) converted++;
    for (const [n, bytes] of Object.entries(native.outputs)) expectedFrms.push([n, bytes]);
  });
  t.diagnostic(`${converted} of ${gifs.length} convert`);
  assert.deepEqual(differences, []);
  assert.equal(await page.$eval('#progress-text', (e) => e.textContent),
               `${gifs.length} of ${gifs.length} sprites done`);

  // The .zip: every FRM under its name; a second of one name gets " (2)".
  const zip = await download(session, () => page.click('#download-zip'));
  const entries = zipEntries(zip);
  const expected = {};
  for (const [name, bytes] of expectedFrms) {
    let entry = name;
    for (let n = 2; entry in expected; n++) entry = name.replace(/\.frm$/, ` (${n}).frm`);
    expected[entry] = bytes;
  }
  assert.deepEqual(Object.keys(entries).sort(), Object.keys(expected).sort());
  for (const name of Object.keys(expected)) {
    assert.ok(entries[name].equals(expected[name]), `${name} in the .zip differs`);
  }
  assert.deepEqual(session.problems, []);
});

test('while the 4000 x 4000 noise converts, no task of the page takes 100 ms',
     async (t) => {
  const page = await freshPage(session);
  await page.evaluate(() => {
    window.longestTask = 0;
    window.longestGap = 0;
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) {
        window.longestTask = Math.max(window.longestTask, entry.duration);
      }
    }).observe({type: 'longtask'});
  });
  await (await page.$('#files')).uploadFile(noisePath, walkGif);
  const started = Date.now();
  await page.click('#convert');
  // Ticks 10 ms apart while it runs: a late tick is input the page did not
  // answer in time. The reading progress is shown as it goes.
  const seen = await page.evaluate(() => new Promise((resolve) => {
    let last = performance.now();
    const progress = new Set();
    const timer = setInterval(() => {
      const now = performance.now();
      window.longestGap = Math.max(window.longestGap, now - last);
      last = now;
      progress.add(document.getElementById('progress-text').textContent);
      const job = window.gif2frmPage.state.jobs[0];
      if (job.state !== 'queued' && job.state !== 'running') {
        clearInterval(timer);
        resolve({progress: [...progress], longestTask: window.longestTask,
                 longestGap: window.longestGap});
      }
    }, 10);
  }));
  t.diagnostic(`noise.gif converted in ${Date.now() - started} ms; longest main-thread task ` +
               `${seen.longestTask.toFixed(0)} ms (0: none over 50 ms), longest gap between ` +
               `10 ms ticks ${seen.longestGap.toFixed(0)} ms`);
  assert.ok(seen.longestTask < 100, `a task of ${seen.longestTask} ms`);
  assert.ok(seen.longestGap < 100, `no tick for ${seen.longestGap} ms`);
  assert.ok(seen.progress.some((text) => /noise\.gif [1-9]\d?% read/.test(text)),
            `no progress shown: ${seen.progress.join(' | ')}`);
  await waitUntilFinished(page);
  const [noise, walk] = await pageJobs(page);
  assert.equal(noise.status, 0);
  assert.equal(noise.outputs['noise.frm'].length, 62 + 12 + 4000 * 4000);
  assert.equal(outputText(noise.outputs['noise.frm']), outputText(convertNatively(
      {'noise.gif': fs.readFileSync(noisePath)}, ['noise.gif']).outputs['noise.frm']));
  assert.equal(walk.status, 0);
});

test('Cancel during a batch keeps what is done and starts nothing new', async () => {
  const page = await freshPage(session);
  const copies = ['b.gif', 'p.gif'].map((name) => {
    const file = path.join(folder, name);
    fs.copyFileSync(walkGif, file);
    return file;
  });
  await (await page.$('#files')).uploadFile(walkGif, noisePath, ...copies);
  await page.click('#convert');
  // b.gif, noise.gif (converting), then p.gif and walk.gif waiting.
  await page.waitForFunction(() => window.gif2frmPage.state.jobs.some(
      (job) => job.label === 'noise.gif' && job.state === 'running' && job.read > 0));
  await page.click('#cancel');
  await waitUntilFinished(page);
  const jobs = await pageJobs(page);
  assert.deepEqual(jobs.map((job) => [job.label, job.state]),
                   [['b.gif', 'done'], ['noise.gif', 'cancelled'],
                    ['p.gif', 'cancelled'], ['walk.gif', 'cancelled']]);
  const native = convertNatively({'b.gif': fs.readFileSync(walkGif)}, ['b.gif']);
  assert.equal(jobs[0].stdout, native.stdout.toString('utf8'));
  assert.ok(jobs[0].outputs['b.frm'].equals(native.outputs['b.frm']));
  assert.deepEqual(jobs.slice(1).map((job) => Object.keys(job.outputs).length), [0, 0, 0]);
  assert.deepEqual(jobs.slice(2).map((job) => job.stdout), ['', '']);
  // Nothing starts afterwards, and the finished download is still offered.
  await new Promise((resolve) => setTimeout(resolve, 500));
  assert.deepEqual((await pageJobs(page)).map((job) => job.state),
                   ['done', 'cancelled', 'cancelled', 'cancelled']);
  assert.deepEqual(await page.$$eval('#results a', (as) => as.map((a) => a.download)),
                   ['b.frm']);
  assert.match(await page.$eval('#progress-text', (e) => e.textContent), /^1 of 4 sprites done/);
  // The next Convert runs in a new worker.
  await page.click('#convert');
  await waitUntilFinished(page);
  assert.deepEqual((await pageJobs(page)).map((job) => job.status), [0, 0, 0, 0]);
  assert.deepEqual(session.problems, []);
});
