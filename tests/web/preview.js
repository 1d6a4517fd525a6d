// What the page's checking preview shows, held against the native frm2gif -i:
// each direction's picture, every frame's rectangle, its reference point and
// the numbers beside it. Shared by the browser tests.
'use strict';
const assert = require('node:assert/strict');
const {runNatively} = require('./browser.js');

// The "direction frame width height offsetX offsetY left top" rows of
// frm2gif -i (the lines of numbers after that heading; the way back follows
// them), and the width of each direction's picture ("direction D: W x H
// pixels").
function framesOfInfo(stdout) {
  const lines = stdout.toString('utf8').split('\n');
  const start = lines.findIndex((line) => line.startsWith('direction frame'));
  return lines.slice(start + 1).filter((line) => /^ *-?\d/.test(line))
      .map((line) => line.trim().split(/\s+/).map(Number));
}

function pictureWidths(stdout) {
  return [...stdout.toString('utf8').matchAll(/^direction \d+: (\d+) x \d+ pixels$/gm)]
      .map((m) => Number(m[1]));
}

// Where gif2frm measures a frame from, in its direction's picture W wide: the
// picture's centre column floor(W / 2), moved by the frame's offset from it,
// left - floor((W - w) / 2); and the row below its bottom edge. A frame
// without pixels is laid out as one pixel.
function referencePoint(pictureWidth, left, top, width, height) {
  const empty = width === 0 || height === 0;
  const shownWidth = empty ? 1 : width;
  return [Math.floor(pictureWidth / 2) + left - Math.floor((pictureWidth - shownWidth) / 2),
          top + (empty ? 1 : height)];
}

// What the preview shows for the current frame, direction by direction:
// the rectangle drawn, the reference point and the text beside it.
function previewFrame(page) {
  return page.$$eval('#preview-directions figure', (figures) => figures.map((f) => ({
    rect: f.querySelector('canvas.result').getAttribute('data-rect'),
    reference: f.querySelector('canvas.result').getAttribute('data-reference'),
    info: f.querySelector('.frame-info').textContent,
  })));
}

// Steps through every frame with the Next frame button and checks each
// direction's rectangle, reference point and numbers against what the
// native frm2gif -i prints; eachFrame(k, rows), if given, checks more of
// frame k (rows: its row of every direction). Returns the rows.
async function checkFrameStepping(page, frm, frmName, eachFrame) {
  const info = runNatively('frm2gif', {[frmName]: frm}, ['-i', frmName]);
  const rows = framesOfInfo(info.stdout);
  const widths = pictureWidths(info.stdout);
  const directions = Math.max(...rows.map((r) => r[0])) + 1;
  assert.equal(widths.length, directions);
  const frames = rows.length / directions;
  await page.waitForSelector('#preview:not([hidden]) canvas.result[data-rect]');
  assert.equal(await page.$eval('#frame-number', (e) => e.textContent),
               `Frame 1 of ${frames}`);
  for (let k = 0; k < frames; k++) {
    const shown = await previewFrame(page);
    assert.equal(shown.length, directions);
    const ofFrame = [];
    shown.forEach((figure, d) => {
      const row = rows[d * frames + k];
      const [, frame, width, height, offsetX, offsetY, left, top] = row;
      assert.equal(frame, k);
      assert.equal(figure.rect, `${left},${top},${width},${height}`,
                   `direction ${d} frame ${k}`);
      assert.equal(figure.reference,
                   referencePoint(widths[d], left, top, width, height).join(','),
                   `direction ${d} frame ${k}`);
      assert.equal(figure.info, `frame ${k + 1}: ${width} \u00d7 ${height} pixels at ` +
                                `(${left}, ${top}), offset (${offsetX}, ${offsetY})`);
      ofFrame.push(row);
    });
    if (eachFrame) await eachFrame(k, ofFrame);
    await page.click('#next-frame');
  }
  // Round again to the first.
  assert.equal(await page.$eval('#frame-number', (e) => e.textContent),
               `Frame 1 of ${frames}`);
  return {rows, widths};
}

module.exports = {framesOfInfo, pictureWidths, referencePoint, previewFrame,
                  checkFrameStepping};
