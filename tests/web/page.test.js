// The page in a real browser, opened from file://: its API (whose runs go
// through the worker) gives the native program's bytes, messages and
// statuses on the GIF corpus, and a person using the page with a mouse or the
// keyboard gets the same; the preview shows the frames frm2gif -i lists.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {after, before, test} = require('node:test');
const {
  projectRoot, openPage, runInPage, runNatively, convertInPage, convertNatively,
  outputText, typeInto,
} = require('./browser.js');
const {checkFrameStepping} = require('./preview.js');

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
        ([name, bytes]) => [name, outputText(bytes)])),
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
  // First every run in the page, then every native run: taking turns, each
  // native run would wait for what the browser does once a run is over.
  const inPage = [];
  for (const file of gifs) {
    const name = path.basename(file);
    inPage.push((await convertInPage(session.page, {[name]: fs.readFileSync(file)},
                                     optionSets.map((options) => [...options, name])))
        .map(describe));
  }
  for (const [n, file] of gifs.entries()) {
    const name = path.basename(file);
    const files = {[name]: fs.readFileSync(file)};
    optionSets.forEach((options, i) => {
      const args = [...options, name];
      const expected = describe(convertNatively(files, args));
      try {
        assert.deepEqual(inPage[n][i], expected);
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
                      ['-o=', 'walk.gif'],
                      // Values of -t=, -g= and six shifts that are refused.
                      ['-t=300', 'walk.gif'], ['-t=x', 'walk.gif'], ['-g=8', 'walk.gif'],
                      ['-g=0x2', 'walk.gif'], ['-x=1,2,3', 'walk.gif']]) {
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


// The one run of a Convert, once it is over: its message, status, files.
async function convertedRun(page) {
  await page.waitForFunction(() => {
    const {state} = window.gif2frmPage;
    return state.jobs.length > 0 && !state.running;
  }, {polling: 50});
  return page.$eval('#results li', (item) => ({
    text: item.querySelector('pre.messages').textContent,
    status: item.getAttribute('data-status'),
    downloads: Array.from(item.querySelectorAll('a')).map((a) => a.download),
  }));
}

// The page as a person finds it: each test of the page starts from a new
// load, whatever the test before it left in the form.
async function freshPage() {
  const {page} = session;
  await page.reload();
  await page.waitForSelector('body[data-ready="true"]', {timeout: 30000});
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

test('the page: pick a GIF, set options, read the messages, download the FRM, step through its frames',
     async () => {
  const page = await freshPage();
  await (await page.$('#files')).uploadFile(walkGif);
  await page.click('#option-n');
  await typeInto(page, '#option-x', '7');
  assert.equal(await page.$eval('#command-line', (e) => e.textContent),
               'gif2frm -n -x=7 walk.gif');

  await page.click('#convert');
  const shown = await convertedRun(page);
  const native = convertNatively({'walk.gif': fs.readFileSync(walkGif)},
                                 ['-n', '-x=7', 'walk.gif']);
  assert.equal(shown.text, native.stdout.toString('utf8'));
  assert.equal(shown.status, '0');
  assert.deepEqual(shown.downloads, ['walk.frm']);

  // The preview opens by itself on the one sprite, frame by frame as
  // frm2gif lays it out.
  await checkFrameStepping(page, native.outputs['walk.frm'], 'walk.frm');
  assert.equal(await page.$eval('canvas.result', (c) => c.getAttribute('aria-label')),
               'walk.frm, one direction');

  // The download link gives the file itself, as the browser saves it.
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'gif2frm-downloads-'));
  const client = await session.browser.target().createCDPSession();
  try {
    await client.send('Browser.setDownloadBehavior', {
      behavior: 'allowAndName', downloadPath: downloads, eventsEnabled: true,
    });
    const saved = savedDownload(client, downloads);
    await page.click('#results a');
    assert.deepEqual(await saved, native.outputs['walk.frm']);
  } finally {
    await client.detach();
    fs.rmSync(downloads, {recursive: true, force: true});
  }
});

test('the preview: play and pause, zoom by whole factors, backgrounds, the source beside the result',
     async () => {
  const page = await freshPage();
  await (await page.$('#files')).uploadFile(walkGif);
  await page.click('#convert');
  await convertedRun(page);
  await page.waitForSelector('#preview:not([hidden]) canvas.result[data-rect]');
  const size = () => page.$eval('canvas.result', (c) => [c.width, c.height]);
  const [width, height] = await size();
  await page.select('#zoom', '1');
  assert.deepEqual(await size(), [width / 3, height / 3]);
  await page.select('#zoom', '5');
  assert.deepEqual(await size(), [width / 3 * 5, height / 3 * 5]);
  // Behind the sprite: black, or a colour picked; the picture itself is
  // transparent there (a corner of a 32 x 48 walking figure).
  const behind = () => page.$eval('canvas.result', (c) => [
    getComputedStyle(c).backgroundColor,
    Array.from(c.getContext('2d').getImageData(c.width - 3, 3, 1, 1).data).join(),
  ]);
  await page.select('#background', 'black');
  assert.deepEqual(await behind(), ['rgb(0, 0, 0)', '0,0,0,0']);
  await page.select('#background', 'color');
  await page.$eval('#background-color', (input) => {
    input.value = '#204060';
    input.dispatchEvent(new Event('input', {bubbles: true}));
  });
  assert.deepEqual(await behind(), ['rgb(32, 64, 96)', '0,0,0,0']);
  // The source, zoomed alike, beside it; hidden on request.
  await page.waitForFunction(() => {
    const source = document.querySelector('.source');
    return source && source.width > 0;
  });
  assert.deepEqual(await page.$eval('.source', (c) => [c.width, c.height]),
                   [32 * 5, 48 * 5]);
  await page.click('#show-source');
  assert.equal(await page.$eval('.source', (c) => c.hidden), true);
  // Play moves on by itself; Pause stops it.
  await page.click('#play');
  await page.waitForFunction(
      () => document.getElementById('frame-number').textContent !== 'Frame 1 of 8');
  await page.click('#play');
  const paused = await page.$eval('#frame-number', (e) => e.textContent);
  await new Promise((resolve) => setTimeout(resolve, 300));
  assert.equal(await page.$eval('#frame-number', (e) => e.textContent), paused);
  assert.deepEqual(session.problems, []);
});

test('the page refuses a file that is not a GIF with the program\'s message',
     async () => {
  const page = await freshPage();
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'gif2frm-bad-'));
  try {
    // Text, not a GIF: no signature, no screen descriptor.
    const bad = path.join(folder, 'notes.gif');
    fs.writeFileSync(bad, 'These are notes, not a picture.\n');
    await (await page.$('#files')).uploadFile(bad);
    await page.click('#convert');
    const shown = await convertedRun(page);
    const native = convertNatively({'notes.gif': fs.readFileSync(bad)}, ['notes.gif']);
    assert.equal(native.status, 1);
    assert.equal(shown.text, native.stdout.toString('utf8'));
    assert.equal(shown.status, '1');
    assert.deepEqual(shown.downloads, []);
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
  await page.waitForFunction(() =>
      document.getElementById('command-line').textContent !== 'gif2frm');
  assert.equal(await page.$eval('#command-line', (e) => e.textContent),
               'gif2frm -p=palette.pal walk.gif');
  await page.click('#convert');
  const shown = await convertedRun(page);
  const native = convertNatively(files, ['-p=palette.pal', 'walk.gif']);
  assert.equal(shown.text, native.stdout.toString('utf8'));
  assert.deepEqual(shown.downloads, Object.keys(native.outputs));
});

test('the form is the core\'s option table: its help texts, defaults and choices',
     async () => {
  const page = await freshPage();
  const help = convertNatively({}, ['--help']).stdout.toString('utf8');
  const fields = await page.$$eval('#options .option', (rows) => rows.map((row) => {
    const input = row.querySelector('input, select');
    return {key: input.getAttribute('data-key'), type: input.type,
            value: input.type === 'checkbox' ? String(input.checked) : input.value,
            choices: Array.from(row.querySelectorAll('option')).map((o) => o.value),
            help: row.querySelector('.help').textContent};
  }));
  // Every option of --help that takes a value or is a switch has its field,
  // in the order of --help, but the palette file and the direction files
  // (each in a section of its own) and help and the output path.
  const flags = [...help.matchAll(/^ {2}(-[^\t ,]+)/gm)].map((m) => m[1]);
  const keys = [...new Set(flags.map((flag) => flag.replace(/=.*/, '=')))]
      .filter((key) => !['-p=', '-1=', '-o=', '-h'].includes(key));
  assert.deepEqual(fields.map((f) => f.key), keys);
  // Each help text is the lines of --help for it, joined.
  const helpOf = (key) => [...help.matchAll(/^ {2}(-[^\t]*)\t+(.*)\n((?:\t\t.*\n)*)/gm)]
      .filter((m) => m[1].replace(/=.*/, '=').replace(/,.*/, '') === key)
      .map((m) => [m[2], ...m[3].split('\n').map((l) => l.trim())]
          .filter((l) => l !== '').join(' '))
      .join(' ');
  for (const field of fields) assert.equal(field.help, helpOf(field.key), field.key);
  const byKey = Object.fromEntries(fields.map((f) => [f.key, f]));
  assert.equal(byKey['-d='].value, '4');
  assert.equal(byKey['-n'].type, 'checkbox');
  assert.deepEqual(byKey['-m='].choices, ['first', 'nearest', 'dither', 'ordered']);
  assert.equal(byKey['-m='].value, 'first');
  assert.match(await page.$eval('#palette-help', (e) => e.textContent), /^Match colors/);
  // Shifts take one value or six, as the help of -x=A,...,F adds.
  assert.match(byKey['-x='].help, /^Set shift in the X direction .* Six shifts, one for each direction/);
  // PNG input, trimming and sheets: the alpha threshold a number from 0 to
  // 255 (the range its help gives) that starts at 128, trimming a switch,
  // the sheet COLSxROWS text with an example; a value gif2frm would refuse
  // shows as one before the run, whose message still comes from gif2frm.
  assert.equal(byKey['-c'].type, 'checkbox');
  const attributes = (id) => page.$eval(id, (e) => ({
    type: e.type, value: e.value, min: e.min, max: e.max, placeholder: e.placeholder,
    invalid: !e.checkValidity(),
  }));
  assert.deepEqual(await attributes('#option-t'), {
    type: 'number', value: '128', min: '0', max: '255', placeholder: '', invalid: false,
  });
  assert.deepEqual(await attributes('#option-g'), {
    type: 'text', value: '', min: '', max: '', placeholder: 'e.g. 8x6', invalid: false,
  });
  // The action frame's range depends on the sprite: no limits.
  assert.deepEqual([(await attributes('#option-a')).min, (await attributes('#option-a')).max],
                   ['', '']);
  await typeInto(page, '#option-t', '300');
  await typeInto(page, '#option-g', '8');
  assert.equal((await attributes('#option-t')).invalid, true);
  assert.equal((await attributes('#option-g')).invalid, true);
  await typeInto(page, '#option-g', '8x6');
  await typeInto(page, '#option-t', '200');
  await page.click('#option-c');
  assert.equal((await attributes('#option-g')).invalid, false);
  await (await page.$('#files')).uploadFile(walkGif);
  assert.equal(await page.$eval('#command-line', (e) => e.textContent),
               'gif2frm -c -g=8x6 -t=200 walk.gif');
});

test('the page: six GIFs become six directions, or six sprites; the preview shows six directions side by side',
     async () => {
  const page = await freshPage();
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'gif2frm-six-'));
  try {
    const names = ['e.gif', 'n.gif', 'ne.gif', 'nw.gif', 'se.gif', 's.gif'];
    const paths = names.map((name) => path.join(folder, name));
    paths.forEach((file) => fs.copyFileSync(walkGif, file));
    await (await page.$('#files')).uploadFile(...paths);
    // In name order, the first is direction 0, the input; pick n.gif for it.
    await page.select('#directions select[data-index="1"]', '0');
    await page.select('#directions select[data-index="0"]', '1');
    const args = ['-1=e.gif', '-2=ne.gif', '-3=nw.gif', '-4=s.gif', '-5=se.gif', 'n.gif'];
    assert.equal(await page.$eval('#command-line', (e) => e.textContent),
                 ['gif2frm', ...args].join(' '));
    await page.click('#convert');
    const shown = await convertedRun(page);
    const files = Object.fromEntries(names.map((name) => [name, fs.readFileSync(walkGif)]));
    const native = convertNatively(files, args);
    assert.equal(shown.text, native.stdout.toString('utf8'));
    assert.deepEqual(shown.downloads, Object.keys(native.outputs));
    assert.deepEqual(await page.$$eval('canvas.result', (cs) =>
        cs.map((c) => c.getAttribute('aria-label'))),
                     [0, 1, 2, 3, 4, 5].map((d) => `n.frm, direction ${d}`));
    await checkFrameStepping(page, native.outputs['n.frm'], 'n.frm');

    // The same six as six sprites of their own.
    await page.click('#grouping-each');
    assert.equal(await page.$eval('#directions', (e) => e.hidden), true);
    assert.match(await page.$eval('#command-line', (e) => e.textContent),
                 /^gif2frm e\.gif {3}\(and 5 more, one run per sprite\)$/);
    await page.click('#convert');
    await convertedRun(page);
    assert.deepEqual(await page.$$eval('#results a', (as) => as.map((a) => a.download)),
                     ['e.frm', 'n.frm', 'ne.frm', 'nw.frm', 's.frm', 'se.frm']);
  } finally {
    fs.rmSync(folder, {recursive: true, force: true});
  }
});

test('a six-direction sprite from one GIF (-6): the rectangles of every direction',
     async () => {
  const page = await freshPage();
  const gif = path.join(projectRoot, 'tests', 'data', 'golden', 'six_in_one.gif');
  await (await page.$('#files')).uploadFile(gif);
  await page.click('#option-6');
  await page.click('#convert');
  const shown = await convertedRun(page);
  const native = convertNatively({'six_in_one.gif': fs.readFileSync(gif)},
                                 ['-6', 'six_in_one.gif']);
  assert.equal(shown.text, native.stdout.toString('utf8'));
  await checkFrameStepping(page, native.outputs['six_in_one.frm'], 'six_in_one.frm');
});

test('the page works from the keyboard alone', async () => {
  const page = await freshPage();
  await (await page.$('#files')).uploadFile(walkGif);
  // Tab from the top reaches every control, in the order of the form.
  await page.evaluate(() => document.activeElement.blur());
  const reached = [];
  for (let i = 0; i < 30; i++) {
    await page.keyboard.press('Tab');
    reached.push(await page.evaluate(() => document.activeElement.id));
    if (reached[reached.length - 1] === 'convert') break;
  }
  for (const id of ['files', 'folder', 'palette-file', 'option-d', 'option-n',
                    'option-x', 'option-m', 'option-f', 'convert']) {
    assert.ok(reached.includes(id), `${id} is not reached by Tab: ${reached}`);
  }
  // Every control has a name a screen reader can say.
  const unnamed = await page.$$eval('input, select, button', (controls) =>
      controls.filter((c) => !c.closest('[hidden]') && c.labels.length === 0 &&
                             !c.getAttribute('aria-label') && !c.textContent.trim())
          .map((c) => c.id));
  assert.deepEqual(unnamed, []);

  await page.keyboard.press('Enter');
  const shown = await convertedRun(page);
  assert.equal(shown.status, '0');
  assert.match(shown.text, /File converted succesfuly!!!\n$/);
  // The preview takes the focus and its keys: the arrows step, + zooms.
  await page.waitForSelector('#preview:not([hidden]) canvas.result[data-rect]');
  await page.waitForFunction(() => document.activeElement.id === 'preview-heading');
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('ArrowRight');
  assert.equal(await page.$eval('#frame-number', (e) => e.textContent), 'Frame 3 of 8');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await page.$eval('#frame-number', (e) => e.textContent), 'Frame 2 of 8');
  const zoom = Number(await page.$eval('#zoom', (e) => e.value));
  await page.keyboard.press('+');
  assert.equal(Number(await page.$eval('#zoom', (e) => e.value)), zoom + 1);
  await page.keyboard.press(' ');
  assert.equal(await page.$eval('#play', (e) => e.getAttribute('aria-pressed')), 'true');
  await page.keyboard.press(' ');
  assert.equal(await page.$eval('#play', (e) => e.getAttribute('aria-pressed')), 'false');
  // The .zip button, the downloads and the preview buttons are reached too.
  const more = [];
  await page.focus('#results-heading');
  for (let i = 0; i < 6; i++) {
    await page.keyboard.press('Tab');
    more.push(await page.evaluate(() => document.activeElement.id ||
                                        document.activeElement.className));
  }
  assert.ok(more.includes('download-zip') && more.includes('preview-button'), `${more}`);
  assert.deepEqual(session.problems, []);
});
