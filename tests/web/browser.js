// Debian's Chromium, headless, driven by puppeteer-core, with the page of the
// web build opened from disk; and the native program run on the same files,
// for comparison. Shared by the browser test and the speed measurement.
'use strict';
const childProcess = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const projectRoot = path.resolve(__dirname, '..', '..');
const pageDir = process.env.GIF2FRM_PAGE_DIR ||
                path.join(projectRoot, 'build', 'web');
const nativeProgram = process.env.GIF2FRM_NATIVE ||
                      path.join(projectRoot, 'build', 'ci', 'gif2frm');
// frm2gif is built beside gif2frm.
const nativePrograms = {
  gif2frm: nativeProgram,
  frm2gif: path.join(path.dirname(nativeProgram), 'frm2gif'),
};
// The API's function for each program.
const apiFunctions = {gif2frm: 'convert', frm2gif: 'frm2gif'};

// Started as root on a machine without a network: no sandbox (it needs an
// unprivileged user), and none of the background traffic that would only
// be refused.
const chromiumFlags = [
  '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update',
  '--disable-sync',
];

async function openPage() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'gif2frm-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: chromiumFlags,
    userDataDir: profile,
  });
  const page = await browser.newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(message.text());
  });
  await page.goto('file://' + path.join(pageDir, 'index.html'));
  await page.waitForSelector('body[data-ready="true"]', {timeout: 30000});
  return {
    browser, page, problems,
    async close() {
      await browser.close();
      fs.rmSync(profile, {recursive: true, force: true});
    },
  };
}

// The API of the page, run in the browser: gif2frm.convert(files, args), or
// gif2frm.frm2gif for the viewer, with the bytes carried as base64 both ways.
async function runInPage(program, page, files, argumentLists) {
  const encoded = {};
  for (const [name, bytes] of Object.entries(files)) {
    encoded[name] = Buffer.from(bytes).toString('base64');
  }
  if (!await page.evaluate(() => typeof window.carriedForTest === 'function')) {
    await defineCarrier(page);
  }
  const results = await page.evaluate(async (run, filesBase64, lists) => {
    const decode = (text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
    const inputs = {};
    for (const name of Object.keys(filesBase64)) {
      inputs[name] = decode(filesBase64[name]);
    }
    const answers = [];
    for (const args of lists) {
      const result = await gif2frm[run](inputs, args);
      const outputs = {};
      for (const name of Object.keys(result.outputs)) {
        outputs[name] = await window.carriedForTest(result.outputs[name]);
      }
      answers.push({status: result.status, stdout: result.stdout, outputs});
    }
    return answers;
  }, apiFunctions[program], encoded, argumentLists);
  return results.map((result) => ({
    status: result.status,
    stdout: Buffer.from(result.stdout, 'utf8'),
    outputs: Object.fromEntries(Object.entries(result.outputs).map(
        ([name, carried]) => [name, received(carried)])),
  }));
}

// Output files come back from the page as base64, or, above 64 KiB, as
// their length and SHA-256 alone: carrying tens of megabytes through the
// debugging protocol takes far longer than making them.
const LARGEST_CARRIED = 1 << 16;

async function defineCarrier(page) {
  await page.evaluate((largest) => {
    window.carriedForTest = async (bytes) => {
      if (bytes.length > largest) {
        const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
        return {length: bytes.length,
                sha256: Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join('')};
      }
      let binary = '';
      for (let i = 0; i < bytes.length; i += 0x8000) {
        binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
      }
      return btoa(binary);
    };
  }, LARGEST_CARRIED);
}

// A carried output as a Buffer, or {length, sha256} for a large one.
function received(carried) {
  return typeof carried === 'string' ? Buffer.from(carried, 'base64') : carried;
}

// The bytes of an output file as tests compare them: hex, or the length and
// SHA-256 of a large one (whether from the page or the native program).
function outputText(bytes) {
  if (bytes.sha256 !== undefined) return `${bytes.length} bytes, sha256 ${bytes.sha256}`;
  if (bytes.length > LARGEST_CARRIED) {
    return `${bytes.length} bytes, sha256 ` +
           crypto.createHash('sha256').update(bytes).digest('hex');
  }
  return bytes.toString('hex');
}

// The native program on the same files, in a folder of their own, called by
// its bare name so that the usage text names it the same way. A file named
// FOLDER/NAME lies in the folder FOLDER. Every file that is there afterwards
// and was not before is an output.
function runNatively(program, files, args) {
  const folder = placeFiles(files);
  try {
    const run = childProcess.spawnSync(nativePrograms[program], args, {
      cwd: folder, argv0: program, stdio: ['ignore', 'pipe', 'pipe'],
    });
    if (run.error) throw run.error;
    return {status: run.status, stdout: run.stdout, outputs: outputsIn(folder, files)};
  } finally {
    fs.rmSync(folder, {recursive: true, force: true});
  }
}

function placeFiles(files) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'gif2frm-native-'));
  for (const [name, bytes] of Object.entries(files)) {
    fs.mkdirSync(path.dirname(path.join(folder, name)), {recursive: true});
    fs.writeFileSync(path.join(folder, name), bytes);
  }
  return folder;
}

function outputsIn(folder, files) {
  const outputs = {};
  for (const entry of fs.readdirSync(folder, {withFileTypes: true})
      .sort((a, b) => (a.name < b.name ? -1 : 1))) {
    if (entry.isFile() && !(entry.name in files)) {
      outputs[entry.name] = fs.readFileSync(path.join(folder, entry.name));
    }
  }
  return outputs;
}

// The page as a person finds it: each test of the page starts from a new
// load, whatever the test before it left in the form.
async function freshPage(session) {
  const {page} = session;
  await page.reload();
  await page.waitForSelector('body[data-ready="true"]', {timeout: 30000});
  return page;
}

// Types text into the field in place of what it holds, as a person who
// selects all of it and types over it.
async function typeInto(page, selector, text) {
  await page.click(selector, {clickCount: 3});
  await page.keyboard.press('Backspace');
  await page.type(selector, text);
}

// Waits until the runs of the last Convert are over.
async function waitUntilFinished(page, timeout = 120000) {
  await page.waitForFunction(() => {
    const {state} = window.gif2frmPage;
    return state.jobs.length > 0 && !state.running;
  }, {timeout, polling: 100});
}

// The jobs of the last Convert as the page holds them, outputs carried as
// above.
async function pageJobs(page) {
  await defineCarrier(page);
  const jobs = await page.evaluate(async () => {
    const jobs = [];
    for (const job of window.gif2frmPage.state.jobs) {
      const outputs = {};
      for (const [name, bytes] of Object.entries(job.outputs)) {
        outputs[name] = await window.carriedForTest(bytes);
      }
      jobs.push({label: job.label, state: job.state, status: job.status,
                 stdout: job.stdout, outputs});
    }
    return jobs;
  });
  return jobs.map((job) => ({...job, outputs: Object.fromEntries(
      Object.entries(job.outputs).map(([n, carried]) => [n, received(carried)]))}));
}

// The bytes of the download that click() starts, once the browser has saved
// them.
async function download(session, click) {
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'gif2frm-downloads-'));
  const client = await session.browser.target().createCDPSession();
  try {
    await client.send('Browser.setDownloadBehavior', {
      behavior: 'allowAndName', downloadPath: downloads, eventsEnabled: true,
    });
    const saved = new Promise((resolve, reject) => {
      client.on('Browser.downloadProgress', (event) => {
        if (event.state === 'completed') {
          resolve(fs.readFileSync(path.join(downloads, event.guid)));
        } else if (event.state === 'canceled') {
          reject(new Error('the download was canceled'));
        }
      });
    });
    await click();
    return await saved;
  } finally {
    await client.detach();
    fs.rmSync(downloads, {recursive: true, force: true});
  }
}

const convertInPage = (...rest) => runInPage('gif2frm', ...rest);
const convertNatively = (...rest) => runNatively('gif2frm', ...rest);

module.exports = {
  projectRoot, pageDir, nativeProgram, openPage, runInPage, runNatively,
  convertInPage, convertNatively, defineCarrier, received,
  outputText, freshPage, waitUntilFinished, pageJobs, download, typeInto,
};
