// Not a test: the pictures of the page in the README, taken in headless
// Chromium: doc/page.png, the preview after converting examples/walk.gif,
// and doc/page-batch.png, the list of a small batch converted with -6 and the
// preview of its six-direction sprite.
// Usage: node screenshot.js [FOLDER]   (doc/ by default)
'use strict';
const path = require('node:path');
const {projectRoot, openPage} = require('./browser.js');

async function finished(page) {
  await page.waitForFunction(() => {
    const {state} = window.gif2frmPage;
    return state.jobs.length > 0 && !state.running;
  });
}

async function previewShown(page) {
  await page.waitForSelector('#preview:not([hidden]) canvas.result[data-rect]');
  await page.waitForFunction(() => Array.from(document.querySelectorAll('.source'))
      .every((source) => source.width > 0));
}

// The page from the top of one element to the bottom of another.
async function shoot(page, from, to, file) {
  const top = await page.$eval(from, (e) => e.getBoundingClientRect().top + scrollY);
  const bottom = await page.$eval(to, (e) => e.getBoundingClientRect().bottom + scrollY);
  await page.evaluate(() => document.activeElement.blur());
  await page.screenshot({path: file, clip: {x: 0, y: top - 12, width: 960,
                                            height: bottom - top + 24}});
}

async function main() {
  const folder = process.argv[2] || path.join(projectRoot, 'doc');
  const session = await openPage();
  try {
    const {page} = session;
    await page.setViewport({width: 960, height: 900});
    await (await page.$('#files')).uploadFile(
        path.join(projectRoot, 'examples', 'walk.gif'));
    await page.click('#convert');
    await finished(page);
    await previewShown(page);
    for (let i = 0; i < 2; i++) await page.click('#next-frame');
    await shoot(page, '#run-heading', '#preview', path.join(folder, 'page.png'));

    await page.reload();
    await page.waitForSelector('body[data-ready="true"]');
    const golden = path.join(projectRoot, 'tests', 'data', 'golden');
    await (await page.$('#files')).uploadFile(
        path.join(golden, 'six_in_one.gif'), path.join(golden, 'animated.gif'),
        path.join(projectRoot, 'examples', 'walk.gif'));
    await page.click('#option-6');
    await page.click('#convert');
    await finished(page);
    await page.click('#results li[data-status="0"] .preview-button');
    await previewShown(page);
    await page.select('#zoom', '8');
    await page.click('#next-frame');
    await shoot(page, '#run-heading', '#preview', path.join(folder, 'page-batch.png'));
    if (session.problems.length > 0) throw new Error(session.problems.join('\n'));
  } finally {
    await session.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
