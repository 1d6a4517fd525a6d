// The page in a real browser, opened from file://: its API gives the native
// program's bytes, messages and statuses on the GIF corpus, and a person
// using the page with a mouse or the keyboard gets the same.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {after, before, test} = require('node:test');
const {
  projectRoot, openPage, runInPage, runNatively, convertInPage, convertNatively,
} = require('./browser.js');

const corpusDir = path.join(projectRoot, '..', 'shared', 'gif-corpus');
const walkGif = path.join(projectRoot, 'examples', 'walk.gif');
const goldenDir = path.join(projectRoot, 'tests', 'data', 'golden');

// Options of every kind the page can pass: the defaults, indices passed
// through, the nearest-colour match and both ditherings, the scanned numbers
// with the frame rate from the delays, and six directions in one GIF.
const optionSets = [[], ['-n'], ['-m=nearest'], ['-m=dither'], ['-m=ordered'],
                    ['-d=0', '-x=5', '-y=-3', '-f=gif', '-a=0'], ['-n', '-6', '-f=12']];

let session;
before(async () => { session = await openPage(); });
after(async () => { if (session) await session.close(); });

function corpusGifs(folder) {
  const found = [];
  for (const entry of fs.readdirSync(folder, {withFileTypes: true})) {
    const full = path.join(folder, entry.name);
    if (entry.isDirectory()) found.push(...corpusGifs(full));
    else if (entry.name.toLowerCase().endsWith('.gif')) found.push(full);
  }
  return found.sort();
}

function describe(result) {
  return {
    status: result.status,
    stdout: result.stdout.toString('utf8'),
    outputs: Object.fromEntries(Object.entries(result.outputs).map(
        ([name, bytes]) => [name, bytes.toString('hex')])),
  };
}

async function expectSameAsNative(files, args) {
  const [inPage] = await convertInPage(session.page, files, [args]);
  assert.deepEqual(describe(inPage), describe(convertNatively(files, args)));
  return inPage;
}

test('every corpus GIF: the same FRM bytes, messages and status as the native program',
     async (t) => {
  assert.ok(fs.existsSync(corpusDir), `${corpusDir} is missing`);
  const gifs = corpusGifs(corpusDir);
  assert.ok(gifs.length > 400, `only ${gifs.length} GIFs in ${corpusDir}`);
  const converted = optionSets.map(() => 0);
  const differences = [];
  for (const file of gifs) {
    const name = path.basename(file);
    const files = {[name]: fs.readFileSync(file)};
    const argumentLists = optionSets.map((options) => [...options, name]);
    const inPage = await convertInPage(session.page, files, argumentLists);
    argumentLists.forEach((args, i) => {
      const expected = describe(convertNatively(files, args));
      const actual = describe(inPage[i]);
      try {
        assert.deepEqual(actual, expected);
      } catch (error) {
        differences.push(`${path.relative(corpusDir, file)} ${args.join(' ')}: ` +
                         error.message.slice(0, 500));
      }
      if (expected.status === 0) converted[i]++;
    });
  }
  optionSets.forEach((options, i) => {
    t.diagnostic(`gif2frm ${options.join(' ') || '(no options)'}: ` +
                 `${converted[i]} of ${gifs.length} GIFs convert`);
  });
  assert.deepEqual(differences, []);
  assert.deepEqual(session.problems, []);
});

test('runs are independent: a failed or different run leaves nothing behind',
     async () => {
  const walk = fs.readFileSync(walkGif);
  const alone = await expectSameAsNative({'walk.gif': walk}, ['walk.gif']);
  const [afterOthers] = await convertInPage(session.page, {
    'walk.gif': walk, 'broken.gif': walk.subarray(0, 100),
  }, [['broken.gif'], ['-n', 'walk.gif'], ['walk.gif']]).then((r) => r.slice(2));
  assert.deepEqual(describe(afterOthers), describe(alone));
  assert.deepEqual(Object.keys(afterOthers.outputs), ['walk.frm']);
});

test('the command line as the native program takes it: usage, help, bad options, missing files, output paths',
     async () => {
  const walk = {'walk.gif': fs.readFileSync(walkGif)};
  for (const args of [[], ['--help'], ['-h', 'walk.gif'], ['-q', 'walk.gif'],
                      ['-m=closest', 'walk.gif'], ['-f=fast', 'walk.gif'],
                      ['missing.gif'], ['-d=abc', '-x=-0012', 'walk.gif'],
                      // Where the output goes: a name, the current folder, a
                      // folder that does not exist, no name at all.
                      ['-o=sprite.frm', 'walk.gif'], ['-o=.', 'walk.gif'],
                      ['-o=./', './walk.gif'], ['-o=nowhere/walk.frm', 'walk.gif'],
                      ['-o=', 'walk.gif']]) {
    await expectSameAsNative(walk, args);
  }
  // A palette file and six direction files travel by name like the input.
  const palette = fs.readFileSync(path.join(projectRoot, 'resources', 'palette.pal'));
  await expectSameAsNative({...walk, 'palette.pal': palette},
                           ['-p=palette.pal', 'walk.gif']);
  const six = {};
  const args = [];
  for (let d = 1; d <= 5; d++) {
    six[`d${d}.gif`] = walk['walk.gif'];
    args.push(`-${d}=d${d}.gif`);
  }
  await expectSameAsNative({...walk, ...six}, [...args, 'walk.gif']);
});

test('frm2gif: the same GIF bytes, messages and status as the native viewer',
     async () => {
  const one = fs.readFileSync(path.join(goldenDir, 'animated.frm'));
  const files = {
    'one.frm': one,
    'six.frm': fs.readFileSync(path.join(goldenDir, 'six_in_one.frm')),
    'palette.pal': fs.readFileSync(path.join(projectRoot, 'resources', 'palette.pal')),
    // Cut inside the first frame's pixels.
    'cut.frm': one.subarray(0, 80),
    // Version 5 where only 4 exists.
    'v5.frm': Buffer.concat([Buffer.from([0, 0, 0, 5]), one.subarray(4)]),
  };
  const argumentLists = [
    ['one.frm'], ['six.frm'], ['-i', 'one.frm'], ['-i', 'six.frm'],
    ['-p=palette.pal', 'one.frm'], ['-o=view.gif', 'one.frm'],
    // Six directions go to a folder: the current one, or one that is not there.
    ['-o=.', 'six.frm'], ['-o=nowhere', 'six.frm'],
    [], ['--help'], ['missing.frm'], ['cut.frm'], ['v5.frm'],
  ];
  const inPage = await runInPage('frm2gif', session.page, files, argumentLists);
  const statuses = argumentLists.map((args, i) => {
    assert.deepEqual(describe(inPage[i]), describe(runNatively('frm2gif', files, args)),
                     `frm2gif ${args.join(' ')}`);
    return inPage[i].status;
  });
  assert.deepEqual(statuses, [0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 1, 1]);
  assert.equal(Object.keys(inPage[1].outputs).length, 6);
});

async function messagesAfterConverting(page) {
  await page.waitForFunction(() => {
    const status = document.getElementById('messages').getAttribute('data-status');
    return status !== null && !document.getElementById('convert').disabled;
  });
  return page.$eval('#messages', (element) => ({
    text: element.textContent, status: element.getAttribute('data-status'),
  }));
}

// The preview's images once the browser has decoded them: the alt text,
// the width, and the first frame as the browser draws it (a PNG data URL;
// the page may fetch nothing, not even its own blob: URLs).
async function previewImages(page) {
  assert.equal(await page.$eval('#preview', (e) => e.hidden), false);
  return page.$$eval('#preview-frames img', (images) => Promise.all(
      images.map(async (image) => {
        await image.decode();
        return {alt: image.alt, width: image.naturalWidth,
                drawn: window.drawnForTest(image)};
      })));
}

// A GIF's first frame as the page's browser draws it.
async function drawnGif(page, bytes) {
  return page.evaluate(async (base64) => {
    const image = new Image();
    image.src = 'data:image/gif;base64,' + base64;
    await image.decode();
    return window.drawnForTest(image);
  }, bytes.toString('base64'));
}

// The page as a person finds it: each test of the page starts from a new
// load, whatever the test before it left in the form.
async function freshPage() {
  const {page} = session;
  await page.reload();
  await page.waitForSelector('body[data-ready="true"]', {timeout: 30000});
  await page.evaluate(() => {
    window.drawnForTest = (image) => {
      const canvas = document.createElement('canvas');
      canvas.width = image.naturalWidth;
      canvas.height = image.naturalHeight;
      canvas.getContext('2d').drawImage(image, 0, 0);
      return canvas.toDataURL();
    };
  });
  return page;
}

// Waits for the browser to finish saving a download and returns its bytes.
function savedDownload(client, folder) {
  return new Promise((resolve, reject) => {
    client.on('Browser.downloadProgress', (event) => {
      if (event.state === 'completed') {
        resolve(fs.readFileSync(path.join(folder, event.guid)));
      } else if (event.state === 'canceled') {
        reject(new Error('the download was canceled'));
      }
    });
  });
}

test('the page: pick a GIF, set options, read the messages, download the FRM',
     async () => {
  const page = await freshPage();
  const picker = await page.$('#gif-files');
  await picker.uploadFile(walkGif);
  await page.click('#no-translation');
  await page.$eval('#x-shift', (input) => { input.value = ''; });
  await page.type('#x-shift', '7');
  await page.$eval('#x-shift', (input) =>
      input.dispatchEvent(new Event('input', {bubbles: true})));
  assert.equal(await page.$eval('#command-line', (e) => e.textContent),
               'gif2frm -n -x=7 walk.gif');

  await page.click('#convert');
  const shown = await messagesAfterConverting(page);
  const native = convertNatively({'walk.gif': fs.readFileSync(walkGif)},
                                 ['-n', '-x=7', 'walk.gif']);
  assert.equal(shown.text, native.stdout.toString('utf8'));
  assert.equal(shown.status, '0');

  // The preview plays what the native frm2gif makes of that FRM.
  const viewed = runNatively('frm2gif', native.outputs, ['walk.frm']);
  const [image] = await previewImages(page);
  assert.equal(image.alt, 'walk.frm, one direction');
  assert.ok(image.width > 0);
  assert.equal(image.drawn, await drawnGif(page, viewed.outputs['walk.gif']));

  // The download link gives the file itself, as the browser saves it.
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'gif2frm-downloads-'));
  const client = await session.browser.target().createCDPSession();
  try {
    // Saved under the download's id, to be found whatever the name.
    await client.send('Browser.setDownloadBehavior', {
      behavior: 'allowAndName', downloadPath: downloads, eventsEnabled: true,
    });
    const links = await page.$$eval('#downloads a', (as) => as.map((a) => a.download));
    assert.deepEqual(links, ['walk.frm']);
    const saved = savedDownload(client, downloads);
    await page.click('#downloads a');
    assert.deepEqual(await saved, native.outputs['walk.frm']);
  } finally {
    await client.detach();
    fs.rmSync(downloads, {recursive: true, force: true});
  }
});

test('the page refuses a file that is not a GIF with the program\'s message',
     async () => {
  const page = await freshPage();
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'gif2frm-bad-'));
  try {
    // Text, not a GIF: no signature, no screen descriptor.
    const bad = path.join(folder, 'notes.gif');
    fs.writeFileSync(bad, 'These are notes, not a picture.\n');
    await (await page.$('#gif-files')).uploadFile(bad);
    await page.click('#convert');
    const shown = await messagesAfterConverting(page);
    const native = convertNatively({'notes.gif': fs.readFileSync(bad)}, ['notes.gif']);
    assert.equal(native.status, 1);
    assert.equal(shown.text, native.stdout.toString('utf8'));
    assert.equal(shown.status, '1');
    assert.equal(await page.$$eval('#downloads a', (as) => as.length), 0);
  } finally {
    fs.rmSync(folder, {recursive: true, force: true});
  }
});

test('the page: a GIF and a palette file dropped together are converted together',
     async () => {
  const page = await freshPage();
  const files = {
    'walk.gif': fs.readFileSync(walkGif),
    'palette.pal': fs.readFileSync(path.join(projectRoot, 'resources', 'palette.pal')),
  };
  await page.evaluate((dropped) => {
    const transfer = new DataTransfer();
    for (const [name, base64] of Object.entries(dropped)) {
      const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
      transfer.items.add(new File([bytes], name));
    }
    document.getElementById('drop-zone').dispatchEvent(
        new DragEvent('drop', {dataTransfer: transfer, bubbles: true, cancelable: true}));
  }, Object.fromEntries(Object.entries(files).map(
      ([name, bytes]) => [name, bytes.toString('base64')])));
  assert.equal(await page.$eval('#command-line', (e) => e.textContent),
               'gif2frm -p=palette.pal walk.gif');
  await page.click('#convert');
  const shown = await messagesAfterConverting(page);
  const native = convertNatively(files, ['-p=palette.pal', 'walk.gif']);
  assert.equal(shown.text, native.stdout.toString('utf8'));
  assert.deepEqual(await page.$$eval('#downloads a', (as) => as.map((a) => a.download)),
                   Object.keys(native.outputs));
});

test('the page: help texts are the program\'s, six GIFs become six directions',
     async () => {
  const page = await freshPage();
  assert.equal(await page.$eval('[data-help-for="-d="]', (e) => e.textContent),
               'Set color delta to Value (default 4)');
  assert.equal(await page.$eval('[data-help-for="-n"]', (e) => e.textContent),
               'Don\'t translate color tables');

  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'gif2frm-six-'));
  try {
    const names = ['e.gif', 'n.gif', 'ne.gif', 'nw.gif', 'se.gif', 's.gif'];
    const paths = names.map((name) => path.join(folder, name));
    paths.forEach((file) => fs.copyFileSync(walkGif, file));
    await (await page.$('#gif-files')).uploadFile(...paths);
    // In name order, the first is direction 0, the input; pick n.gif for it.
    await page.select('#directions select[data-index="1"]', '0');
    await page.select('#directions select[data-index="0"]', '1');
    assert.equal(await page.$eval('#command-line', (e) => e.textContent),
                 'gif2frm -1=e.gif -2=ne.gif -3=nw.gif -4=s.gif -5=se.gif n.gif');
    await page.click('#convert');
    const shown = await messagesAfterConverting(page);
    const files = Object.fromEntries(names.map((name) => [name, fs.readFileSync(walkGif)]));
    const native = convertNatively(
        files, ['-1=e.gif', '-2=ne.gif', '-3=nw.gif', '-4=s.gif', '-5=se.gif', 'n.gif']);
    assert.equal(shown.text, native.stdout.toString('utf8'));
    assert.deepEqual(await page.$$eval('#downloads a', (as) => as.map((a) => a.download)),
                     Object.keys(native.outputs));
    // Every direction plays, in direction order.
    const images = await previewImages(page);
    assert.deepEqual(images.map((image) => image.alt),
                     [0, 1, 2, 3, 4, 5].map((d) => `n.frm, direction ${d}`));
    assert.ok(images.every((image) => image.width > 0));
  } finally {
    fs.rmSync(folder, {recursive: true, force: true});
  }
});

test('the page works from the keyboard alone', async () => {
  const page = await freshPage();
  await (await page.$('#gif-files')).uploadFile(walkGif);
  // Tab from the top reaches every control, in the order of the form.
  await page.evaluate(() => document.activeElement.blur());
  const reached = [];
  for (let i = 0; i < 20; i++) {
    await page.keyboard.press('Tab');
    reached.push(await page.evaluate(() => document.activeElement.id));
    if (reached[reached.length - 1] === 'convert') break;
  }
  for (const id of ['gif-files', 'palette-file', 'match-mode', 'color-delta',
                    'no-translation', 'x-shift', 'frame-rate', 'convert']) {
    assert.ok(reached.includes(id), `${id} is not reached by Tab: ${reached}`);
  }
  // Every control has a name a screen reader can say.
  const unnamed = await page.$$eval('input, select, button', (controls) =>
      controls.filter((c) => !c.closest('[hidden]') && c.labels.length === 0 &&
                             !c.getAttribute('aria-label') && !c.textContent.trim())
          .map((c) => c.id));
  assert.deepEqual(unnamed, []);

  await page.keyboard.press('Enter');
  const shown = await messagesAfterConverting(page);
  assert.equal(shown.status, '0');
  assert.match(shown.text, /File converted succesfuly!!!\n$/);
  assert.deepEqual(session.problems, []);
});
