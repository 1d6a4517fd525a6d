// PNG and APNG images, folders of frames and sprite sheets through the page as
// a person uses it: the PNG corpus as a batch, folders picked or dropped,
// images picked together as the frames of one sprite, a sheet cut by -g=;
// every run with the native program's bytes, messages and status on the
// same files, and every FRM in the .zip. The preview shows an APNG source as
// the browser composes it, a folder's frames and a sheet's cells in the
// order gif2frm takes them, and marks each frame's reference point where
// gif2frm measures it.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {after, before, test} = require('node:test');
const {
  projectRoot, openPage, convertNatively, outputText, freshPage,
  waitUntilFinished, pageJobs, download, typeInto,
} = require('./browser.js');
const {checkFrameStepping, referencePoint} = require('./preview.js');
const {rgbaPng, zipEntries} = require('./test_files.js');

const pngCorpusDir = path.join(projectRoot, '..', 'shared', 'png-corpus');
const redBlue = path.join(pngCorpusDir, 'wuffs', 'animated-red-blue.apng');

let session;
let made;  // the folder of the files the tests make
before(async () => {
  session = await openPage();
  made = fs.mkdtempSync(path.join(os.tmpdir(), 'gif2frm-png-'));
});
after(async () => {
  if (session) await session.close();
  if (made) fs.rmSync(made, {recursive: true, force: true});
});

function corpusPngs(dir) {
  const found = [];
  for (const entry of fs.readdirSync(dir, {withFileTypes: true})) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) {
      if (entry.name !== 'tools') found.push(...corpusPngs(full));
    } else if (/\.a?png$/i.test(entry.name)) {
      found.push(full);
    }
  }
  return found.sort();
}

// A run as the page holds it or as the native program gave it, in one form.
function describe(result) {
  return {
    status: result.status,
    stdout: typeof result.stdout === 'string' ? result.stdout
                                              : result.stdout.toString('utf8'),
    outputs: Object.fromEntries(Object.entries(result.outputs).map(
        ([name, bytes]) => [name, outputText(bytes)])),
  };
}

// Sets the option fields as a person does: a choice picked, a number or
// text typed, a switch clicked. options: {'-m=': 'nearest', '-c': true}.
async function setOptions(page, options) {
  for (const [key, value] of Object.entries(options)) {
    const id = '#option-' + key.replace(/[^\w]/g, '');
    const type = await page.$eval(id, (input) => input.type);
    if (type === 'select-one') {
      await page.select(id, value);
    } else if (type === 'checkbox') {
      if (await page.$eval(id, (input) => input.checked) !== value) await page.click(id);
    } else {
      await typeInto(page, id, value);
    }
  }
}

async function commandLine(page) {
  return page.$eval('#command-line', (e) => e.textContent);
}

// Drops a tree of files and folders on the page, as a file manager hands
// them over: tree maps names to bytes (a file) or to a tree (a folder), and
// each item is read through its FileSystemEntry.
async function dropTree(page, tree) {
  const encode = (node) => (Buffer.isBuffer(node) ? node.toString('base64')
      : Object.fromEntries(Object.entries(node).map(([n, child]) => [n, encode(child)])));
  await page.evaluate((dropped) => {
    const entry = (fullPath, node) => {
      if (typeof node === 'string') {
        const file = new File([Uint8Array.from(atob(node), (c) => c.charCodeAt(0))],
                              fullPath.slice(fullPath.lastIndexOf('/') + 1));
        return {isFile: true, isDirectory: false, fullPath,
                file: (success) => setTimeout(() => success(file), 0)};
      }
      const children = Object.entries(node).map(
          ([name, child]) => entry(fullPath + '/' + name, child));
      return {isFile: false, isDirectory: true, fullPath, createReader() {
        // The entries in batches of two, then none, as a browser reads a
        // large folder.
        let at = 0;
        return {readEntries: (success) => setTimeout(() => {
          success(children.slice(at, at + 2));
          at += 2;
        }, 0)};
      }};
    };
    const transfer = new DataTransfer();
    const items = Object.entries(dropped).map(([name, node]) => {
      const item = entry('/' + name, node);
      return {kind: 'file', webkitGetAsEntry: () => item};
    });
    Object.defineProperty(transfer, 'items', {value: items});
    document.getElementById('drop-zone').dispatchEvent(
        new DragEvent('drop', {dataTransfer: transfer, bubbles: true, cancelable: true}));
  }, encode(tree));
}

// The files of a tree as the native program finds them beside it:
// {"walk/walk_1.png": bytes, ...}.
function flatten(tree, prefix = '') {
  const files = {};
  for (const [name, node] of Object.entries(tree)) {
    if (Buffer.isBuffer(node)) files[prefix + name] = node;
    else Object.assign(files, flatten(node, prefix + name + '/'));
  }
  return files;
}

function writeTree(root, tree) {
  for (const [name, bytes] of Object.entries(flatten(tree))) {
    fs.mkdirSync(path.dirname(path.join(root, name)), {recursive: true});
    fs.writeFileSync(path.join(root, name), bytes);
  }
}

// ---- The pictures -------------------------------------------------------------

// A figure of six frames on a canvas 10 wide and 12 high: in frame k a block
// of columns [left, left + width) from row top down, in colours off the
// palette (blue tells the frame), its last column half opaque (alpha 200),
// a faint column (alpha 100) left of it, the rest transparent with a colour
// of its own. With -t=128 and -c each frame is trimmed to its block: widths
// 4, 3, 4, 2, 3, 4, all with the same offset, in a picture 4 wide, so that
// the 3-wide frames are odd in an even picture.
const FIGURE = [{left: 3, width: 4, top: 2}, {left: 3, width: 3, top: 3},
                {left: 3, width: 4, top: 1}, {left: 4, width: 2, top: 4},
                {left: 3, width: 3, top: 2}, {left: 3, width: 4, top: 3}];
// Their names, in the natural order gif2frm takes them, not that of bytes.
const WALK_NAMES = ['walk_1.png', 'walk_2.png', 'walk_5.png', 'walk_9.png', 'walk_10.png',
                    'walk_11.png'];

function figurePixel(k, x, y, shade = 0) {
  const {left, width, top} = FIGURE[k];
  const color = [40 + 20 * x, 90 + 13 * y - shade, 150 + 15 * k];
  if (y < top || x < left - 1 || x >= left + width) return [255, 0, 255, 0];
  if (x === left - 1) return [...color, 100];
  return [...color, x === left + width - 1 ? 200 : 255];
}

function figureFrame(k, shade = 0) {
  return rgbaPng(10, 12, (x, y) => figurePixel(k, x, y, shade));
}

// renders/: walk/ (the figure, and a text file that is no frame), run/ (four
// frames in other colours), bad/ (two frames of different canvases).
function rendersTree() {
  const walk = Object.fromEntries(WALK_NAMES.map((name, k) => [name, figureFrame(k)]));
  walk['notes.txt'] = Buffer.from('Rendered at 10 x 12.\n');
  const run = Object.fromEntries([0, 1, 2, 3].map((k) => [`run${k + 1}.png`,
                                                          figureFrame(k + 2, 60)]));
  const bad = {'a.png': figureFrame(0), 'b.png': rgbaPng(8, 8, () => [9, 9, 9, 255])};
  return {walk, run, bad};
}

// A sheet of 4 x 2 cells of 8 x 10: cell c a block of its own colour.
function sheetPixel(x, y) {
  const cell = Math.floor(y / 10) * 4 + Math.floor(x / 8);
  const [cx, cy] = [x % 8, y % 10];
  return cx >= 1 + (cell % 3) && cx < 6 && cy >= 2 + (cell % 4)
      ? [30 * cell, 200 - 10 * cx, 60 + 12 * cy, 255] : [0, 0, 0, 0];
}

// The source beside direction 0's result, as RGBA.
function sourcePixels(page) {
  return page.$eval('canvas.source', (canvas) => ({
    width: canvas.width, height: canvas.height,
    rgba: Array.from(canvas.getContext('2d').getImageData(
        0, 0, canvas.width, canvas.height).data),
  }));
}

// Checks that the source shows width x height pixels of pixel(x, y), the
// alpha of every one and the colour of the opaque ones (a canvas keeps the
// others premultiplied, which rounds their colour).
async function expectSource(page, width, height, pixel, what) {
  await page.waitForFunction((w, h) => {
    const source = document.querySelector('canvas.source');
    return source && source.width === w && source.height === h;
  }, {polling: 50}, width, height);
  // The picture is drawn once it is decoded: wait until the source changes.
  let shown;
  for (let tries = 0; tries < 50; tries++) {
    shown = await sourcePixels(page);
    if (shown.rgba.every((value, i) => {
      const x = (i >> 2) % width;
      const y = Math.floor((i >> 2) / width);
      const expected = pixel(x, y);
      return i % 4 === 3 ? value === expected[3]
          : expected[3] !== 255 || value === expected[i % 4];
    })) {
      return;
    }
    await new Promise((resolve) => setTimeout(resolve, 20));
  }
  assert.fail(`${what}: the source does not show the picture`);
}

async function openPreviewOf(page, frmName) {
  await page.$$eval('#results .preview-button', (buttons, name) => {
    buttons.find((b) => b.textContent === 'Preview ' + name).click();
  }, frmName);
  await page.waitForFunction((name) => {
    const canvas = document.querySelector('canvas.result');
    return canvas && canvas.getAttribute('aria-label').startsWith(name + ',') &&
           canvas.hasAttribute('data-rect');
  }, {polling: 50}, frmName);
  await page.select('#zoom', '1');
}

// ---- The tests --------------------------------------------------------------

// Whether a PNG has transparency for -t= and -c to work on: an alpha
// channel (colour types 4 and 6), a tRNS chunk, or frames (acTL, fcTL)
// that may leave parts of the canvas uncovered.
function hasTransparency(png) {
  if (png.length >= 26 && (png[25] === 4 || png[25] === 6)) return true;
  for (let at = 8; at + 8 <= png.length; at += 12 + png.readUInt32BE(at)) {
    if (['tRNS', 'acTL', 'fcTL'].includes(png.toString('latin1', at + 4, at + 8))) {
      return true;
    }
  }
  return false;
}

// Each option set as the form is filled in and as the command line has it;
// those of -t= and -c on the files with transparency.
const corpusOptionSets = [
  {form: {'-m=': 'nearest'}, args: ['-m=nearest']},
  {form: {'-m=': 'dither'}, args: ['-m=dither']},
  {form: {'-m=': 'nearest', '-c': true, '-t=': '200'}, args: ['-m=nearest', '-c', '-t=200'],
   transparentOnly: true},
  {form: {'-m=': 'ordered', '-t=': '0', '-c': true}, args: ['-m=ordered', '-c', '-t=0'],
   transparentOnly: true},
];

test('the PNG corpus as a batch, all of it with -m=nearest and -m=dither, the files with transparency with -c and -t=200 or -m=ordered -c -t=0: each file the native bytes, message and status',
     async (t) => {
  const corpus = corpusPngs(pngCorpusDir);
  assert.ok(corpus.length > 250, `only ${corpus.length} PNG files in ${pngCorpusDir}`);
  const transparent = corpus.filter((file) => hasTransparency(fs.readFileSync(file)));
  assert.ok(transparent.length > 80, `only ${transparent.length} with transparency`);
  for (const {form, args, transparentOnly} of corpusOptionSets) {
    const pngs = transparentOnly ? transparent : corpus;
    // The page lists them in natural name order: for these names that of
    // their base names.
    const byName = [...pngs].sort((a, b) => path.basename(a).localeCompare(
        path.basename(b), 'en', {numeric: true}));
    const page = await freshPage(session);
    await (await page.$('#files')).uploadFile(...pngs);
    await setOptions(page, form);
    assert.ok((await commandLine(page)).startsWith(`gif2frm ${args.join(' ')} `));
    assert.match(await commandLine(page),
                 new RegExp(`\\(and ${pngs.length - 1} more, one run per sprite\\)$`));
    const started = Date.now();
    await page.click('#convert');
    await waitUntilFinished(page);
    const took = Date.now() - started;
    const jobs = await pageJobs(page);
    const nativeRuns = byName.map((file) => convertNatively(
        {[path.basename(file)]: fs.readFileSync(file)}, [...args, path.basename(file)]));
    assert.equal(jobs.length, pngs.length);
    const differences = [];
    let converted = 0;
    let animations = 0;
    jobs.forEach((job, i) => {
      assert.equal(job.label, path.basename(byName[i]));
      try {
        assert.deepEqual(describe(job), describe(nativeRuns[i]));
      } catch (error) {
        differences.push(`${path.relative(pngCorpusDir, byName[i])}: ` +
                         error.message.slice(0, 400));
      }
      if (job.status === 0) converted++;
      // framesPerDirection, at byte 8 of the header (of the native FRM: the
      // page's large ones come as their digest).
      const frm = Object.values(nativeRuns[i].outputs)[0];
      if (frm && frm.length > 10 && frm.readUInt16BE(8) > 1) animations++;
    });
    t.diagnostic(`gif2frm ${args.join(' ')}: ${converted} of ${pngs.length} convert, ` +
                 `${animations} of them animations; the page took ${took} ms`);
    assert.deepEqual(differences, []);
    assert.ok(converted > pngs.length * 0.75 && animations > 30, `${converted}, ${animations}`);
  }
  assert.deepEqual(session.problems, []);
});

test('a folder picked: each folder of images in it a sprite named after it, as gif2frm converts the folder; the .zip; the preview steps through the frames in gif2frm\'s order',
     async () => {
  const renders = path.join(made, 'picked', 'renders');
  const tree = rendersTree();
  writeTree(renders, tree);
  const page = await freshPage(session);
  await (await page.$('#folder')).uploadFile(renders);
  assert.equal(await page.$eval('#file-summary', (e) => e.textContent),
               '3 folders: renders/bad/ (2 files), renders/run/ (4 files), ' +
               'renders/walk/ (7 files)');
  await setOptions(page, {'-m=': 'nearest', '-c': true});
  assert.equal(await commandLine(page),
               'gif2frm -m=nearest -c bad   (and 2 more, one run per sprite)');
  await page.click('#convert');
  await waitUntilFinished(page);
  const jobs = await pageJobs(page);
  assert.deepEqual(jobs.map((job) => job.label),
                   ['renders/bad/', 'renders/run/', 'renders/walk/']);
  const natives = ['bad', 'run', 'walk'].map((name) => convertNatively(
      flatten({[name]: tree[name]}), ['-m=nearest', '-c', name]));
  jobs.forEach((job, i) => assert.deepEqual(describe(job), describe(natives[i]), job.label));
  assert.deepEqual(jobs.map((job) => job.status), [1, 0, 0]);
  assert.match(jobs[0].stdout, /b\.png/);

  // The .zip holds each FRM where its folder lay.
  const zip = zipEntries(await download(session, () => page.click('#download-zip')));
  assert.deepEqual(Object.keys(zip).sort(), ['renders/run.frm', 'renders/walk.frm']);
  assert.ok(zip['renders/run.frm'].equals(natives[1].outputs['run.frm']));
  assert.ok(zip['renders/walk.frm'].equals(natives[2].outputs['walk.frm']));

  // The preview of walk.frm: frame k's source is the k-th file in gif2frm's
  // natural order; its reference point stays in the picture's column floor(W / 2)
  // for every frame (all have offset 0), where the old rule, left + floor(w / 2),
  // put it one column left for the 3-wide frames in the 4-wide picture.
  await openPreviewOf(page, 'walk.frm');
  const {rows, widths} = await checkFrameStepping(
      page, natives[2].outputs['walk.frm'], 'walk.frm', async (k) => {
        await expectSource(page, 10, 12, (x, y) => figurePixel(k, x, y),
                           `walk frame ${k}`);
      });
  assert.deepEqual(widths, [4]);
  assert.deepEqual(rows.map((row) => row[2]), [4, 3, 4, 2, 3, 4]);
  const references = rows.map(([, , width, height, , , left, top]) =>
      referencePoint(4, left, top, width, height)[0]);
  assert.deepEqual(references, [2, 2, 2, 2, 2, 2]);
  assert.deepEqual(rows.filter((row) => row[2] === 3).map((row) => row[6] + 1), [1, 1]);
  assert.deepEqual(session.problems, []);
});

test('images picked together as the frames of one sprite: a folder of its own, named from them',
     async () => {
  const walk = path.join(made, 'loose');
  const tree = rendersTree().walk;
  delete tree['notes.txt'];
  writeTree(walk, tree);
  const page = await freshPage(session);
  await (await page.$('#files')).uploadFile(...WALK_NAMES.map((n) => path.join(walk, n)));
  // Six images are first taken as six directions; any number can be frames.
  assert.equal(await page.$eval('#grouping', (e) => e.hidden), false);
  assert.equal(await page.$eval('#grouping-directions', (e) => e.checked), true);
  assert.equal(await page.$eval('#frames-name-row', (e) => e.hidden), true);
  await page.click('#grouping-frames');
  assert.equal(await page.$eval('#frames-name', (e) => e.value), 'walk');
  await setOptions(page, {'-m=': 'dither', '-t=': '90', '-c': true});
  assert.equal(await commandLine(page), 'gif2frm -m=dither -c -t=90 walk');
  // A name that is no folder name stops the run, with the reason.
  await typeInto(page, '#frames-name', 'a/b');
  assert.equal(await page.$eval('#convert', (e) => e.disabled), true);
  assert.match(await page.$eval('#file-summary', (e) => e.textContent),
               /needs a name without \//);
  await typeInto(page, '#frames-name', 'figure');
  assert.equal(await commandLine(page), 'gif2frm -m=dither -c -t=90 figure');
  await page.click('#convert');
  await waitUntilFinished(page);
  const [job] = await pageJobs(page);
  const native = convertNatively(flatten({figure: tree}), ['-m=dither', '-c', '-t=90', 'figure']);
  assert.equal(native.status, 0);
  assert.deepEqual(describe(job), describe(native));
  assert.equal(job.label, 'figure/');
  // Each a sprite of its own again: six runs.
  await page.click('#grouping-each');
  assert.match(await commandLine(page), /\(and 5 more, one run per sprite\)$/);
  assert.deepEqual(session.problems, []);
});

test('folders and images dropped together: a sprite each, PNG and APNG alike; the .zip holds them all',
     async () => {
  const {walk, run} = rendersTree();
  const figure = rgbaPng(9, 7, (x, y) => [25 * x, 30 * y, 99, x + y > 3 ? 255 : 0]);
  const tree = {walk, 'figure.png': figure, run,
                'animated-red-blue.apng': fs.readFileSync(redBlue)};
  const page = await freshPage(session);
  await dropTree(page, tree);
  await page.waitForFunction(() => window.gif2frmPage.state.images.length === 4);
  assert.equal(await page.$eval('#file-summary', (e) => e.textContent),
               '2 images and 2 folders: animated-red-blue.apng, figure.png, ' +
               'run/ (4 files), walk/ (7 files)');
  await setOptions(page, {'-m=': 'nearest'});
  await page.click('#convert');
  await waitUntilFinished(page);
  const jobs = await pageJobs(page);
  const inputs = ['animated-red-blue.apng', 'figure.png', 'run', 'walk'];
  const natives = inputs.map((name) => convertNatively(
      flatten({[name]: tree[name]}), ['-m=nearest', name]));
  for (const [i, native] of natives.entries()) {
    assert.deepEqual(describe(jobs[i]), describe(native), inputs[i]);
    assert.equal(native.status, 0, inputs[i]);
  }
  const zip = zipEntries(await download(session, () => page.click('#download-zip')));
  assert.deepEqual(Object.keys(zip).sort(),
                   ['animated-red-blue.frm', 'figure.frm', 'run.frm', 'walk.frm']);
  for (const job of jobs) {
    for (const [name, bytes] of Object.entries(job.outputs)) {
      assert.ok(zip[name].equals(bytes), name);
    }
  }
  assert.deepEqual(session.problems, []);
});

test('a sprite sheet cut by -g=: the native sprite, a folder refused as a sheet with the native message; the preview\'s source is the frame\'s cell',
     async () => {
  const sheet = rgbaPng(32, 20, sheetPixel);
  const tree = {'sheet.png': sheet, walk: rendersTree().walk};
  const page = await freshPage(session);
  await dropTree(page, tree);
  await page.waitForFunction(() => window.gif2frmPage.state.images.length === 2);
  await setOptions(page, {'-m=': 'nearest', '-g=': '4x2', '-c': true});
  assert.equal(await commandLine(page),
               'gif2frm -m=nearest -c -g=4x2 sheet.png   (and 1 more, one run per sprite)');
  await page.click('#convert');
  await waitUntilFinished(page);
  const jobs = await pageJobs(page);
  const natives = ['sheet.png', 'walk'].map((name) => convertNatively(
      flatten({[name]: tree[name]}), ['-m=nearest', '-c', '-g=4x2', name]));
  jobs.forEach((job, i) => assert.deepEqual(describe(job), describe(natives[i]), job.label));
  assert.deepEqual(jobs.map((job) => job.status), [0, 1]);
  const zip = zipEntries(await download(session, () => page.click('#download-zip')));
  assert.deepEqual(Object.keys(zip), ['sheet.frm']);
  assert.ok(zip['sheet.frm'].equals(natives[0].outputs['sheet.frm']));

  await openPreviewOf(page, 'sheet.frm');
  const {rows} = await checkFrameStepping(
      page, natives[0].outputs['sheet.frm'], 'sheet.frm', async (k) => {
        await expectSource(page, 8, 10,
                           (x, y) => sheetPixel(8 * (k % 4) + x, 10 * Math.floor(k / 4) + y),
                           `cell ${k}`);
      });
  assert.equal(rows.length, 8);
  assert.deepEqual(session.problems, []);
});

test('an APNG: the preview\'s source is the frame as the browser composes it',
     async () => {
  const page = await freshPage(session);
  await (await page.$('#files')).uploadFile(redBlue);
  await setOptions(page, {'-m=': 'nearest'});
  await page.click('#convert');
  await waitUntilFinished(page);
  const [job] = await pageJobs(page);
  const native = convertNatively({'animated-red-blue.apng': fs.readFileSync(redBlue)},
                                 ['-m=nearest', 'animated-red-blue.apng']);
  assert.deepEqual(describe(job), describe(native));
  await page.waitForSelector('#preview:not([hidden]) canvas.result[data-rect]');
  await page.select('#zoom', '1');
  // Wuffs' composited frames (NIE: a 16-byte header, then BGRA), made
  // from the GIF this APNG was made from; the key colour is transparent.
  await checkFrameStepping(page, native.outputs['animated-red-blue.frm'],
                           'animated-red-blue.frm', async (k) => {
    const nie = fs.readFileSync(path.join(pngCorpusDir, 'wuffs',
                                          `animated-red-blue.00000${k}.nie`));
    const width = nie.readUInt32LE(8);
    await expectSource(page, width, nie.readUInt32LE(12), (x, y) => {
      const at = 16 + 4 * (y * width + x);
      return [nie[at + 2], nie[at + 1], nie[at], nie[at + 3]];
    }, `frame ${k}`);
  });
  assert.deepEqual(session.problems, []);
});
