// Not a test: the picture of the page in the README (doc/page.png), taken in
// headless Chromium after converting examples/walk.gif, with the preview
// playing the converted sprite.
// Usage: node screenshot.js [OUTPUT.png]
'use strict';
const path = require('node:path');
const {projectRoot, openPage} = require('./browser.js');

async function main() {
  const output = process.argv[2] || path.join(projectRoot, 'doc', 'page.png');
  const session = await openPage();
  try {
    const {page} = session;
    await page.setViewport({width: 900, height: 800});
    await (await page.$('#gif-files')).uploadFile(
        path.join(projectRoot, 'examples', 'walk.gif'));
    await page.click('#convert');
    await page.waitForSelector('#preview:not([hidden]) img');
    await page.$$eval('#preview img', (images) =>
        Promise.all(images.map((image) => image.decode())));
    // A few frames in, so that the sprite is caught mid-stride.
    await new Promise((resolve) => setTimeout(resolve, 350));
    await page.evaluate(() => document.activeElement.blur());
    await page.screenshot({path: output, fullPage: true});
    if (session.problems.length > 0) throw new Error(session.problems.join('\n'));
  } finally {
    await session.close();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
