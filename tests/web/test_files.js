// Files the browser tests make and read themselves: a large GIF of noise
// for the responsiveness and Cancel tests, and the entries of a .zip, read
// with Node's zlib alone (independently of the page's fflate).
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const zlib = require('node:zlib');

// A width x height GIF of uniform noise over the 256 colours of the built-in
// palette (resources/palette.pal, 6-bit components widened as the program
// widens them), so that every pixel converts. The LZW stream holds literals
// only, 9-bit codes with a clear code every 250 of them: a valid stream that
// any decoder reads, about 1.2 bytes per pixel (the benchmark's 4000 x 4000
// noise, made here without the benchmark's build).
function noiseGif(width, height, seed, palettePath) {
  const palette = fs.readFileSync(palettePath);
  const header = Buffer.alloc(13 + 768 + 10 + 1);
  header.write('GIF89a', 0, 'latin1');
  header.writeUInt16LE(width, 6);
  header.writeUInt16LE(height, 8);
  header[10] = 0xf7;  // a global table of 256 colours
  for (let i = 0; i < 768; i++) {
    const six = palette[i] & 63;
    header[13 + i] = (six << 2) | (six >> 4);
  }
  let at = 13 + 768;
  header[at] = 0x2c;
  header.writeUInt16LE(width, at + 5);
  header.writeUInt16LE(height, at + 7);
  header[at + 10] = 8;  // LZW minimum code size

  const pixels = width * height;
  const codes = pixels + Math.ceil(pixels / 250) + 1;
  const packed = Buffer.alloc(Math.ceil(codes * 9 / 8) + 2);
  let bits = 0;
  let bitCount = 0;
  let out = 0;
  const put = (code) => {
    bits |= code << bitCount;
    bitCount += 9;
    while (bitCount >= 8) {
      packed[out++] = bits & 0xff;
      bits >>>= 8;
      bitCount -= 8;
    }
  };
  let state = seed >>> 0 || 1;
  for (let i = 0; i < pixels; i++) {
    if (i % 250 === 0) put(256);
    state ^= state << 13;
    state ^= state >>> 17;
    state ^= state << 5;
    put((state >>> 0) & 0xff);
  }
  put(257);
  if (bitCount > 0) packed[out++] = bits & 0xff;

  const blocks = [];
  for (let i = 0; i < out; i += 255) {
    const length = Math.min(255, out - i);
    blocks.push(Buffer.from([length]), packed.subarray(i, i + length));
  }
  return Buffer.concat([header, ...blocks, Buffer.from([0x00, 0x3b])]);
}

const crcTable = Array.from({length: 256}, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let crc = 0xffffffff;
  for (const byte of bytes) crc = crcTable[(crc ^ byte) & 0xff] ^ (crc >>> 8);
  return (crc ^ 0xffffffff) >>> 0;
}

// A width x height PNG of 8-bit RGBA (colour type 6), not interlaced, every
// row filtered with None; pixel(x, y) gives [red, green, blue, alpha].
function rgbaPng(width, height, pixel) {
  const rows = Buffer.alloc((4 * width + 1) * height);
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      rows.set(pixel(x, y), y * (4 * width + 1) + 1 + 4 * x);
    }
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 6, 0, 0, 0], 8);
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    pngChunk('IHDR', header), pngChunk('IDAT', zlib.deflateSync(rows)),
    pngChunk('IEND', Buffer.alloc(0)),
  ]);
}

function pngChunk(type, data) {
  const chunk = Buffer.alloc(12 + data.length);
  chunk.writeUInt32BE(data.length, 0);
  chunk.write(type, 4, 'latin1');
  data.copy(chunk, 8);
  chunk.writeUInt32BE(crc32(chunk.subarray(4, 8 + data.length)), 8 + data.length);
  return chunk;
}

// The files of a .zip, {name: bytes}, from its central directory; each
// entry stored or deflated, its CRC checked.
function zipEntries(zip) {
  let end = zip.length - 22;
  while (end >= 0 && zip.readUInt32LE(end) !== 0x06054b50) end--;
  if (end < 0) throw new Error('no end of central directory');
  const count = zip.readUInt16LE(end + 10);
  let at = zip.readUInt32LE(end + 16);
  const entries = {};
  for (let i = 0; i < count; i++) {
    if (zip.readUInt32LE(at) !== 0x02014b50) throw new Error('bad central entry');
    const method = zip.readUInt16LE(at + 10);
    const crc = zip.readUInt32LE(at + 16);
    const packedSize = zip.readUInt32LE(at + 20);
    const nameLength = zip.readUInt16LE(at + 28);
    const skip = nameLength + zip.readUInt16LE(at + 30) + zip.readUInt16LE(at + 32);
    const local = zip.readUInt32LE(at + 42);
    const name = zip.subarray(at + 46, at + 46 + nameLength).toString('utf8');
    if (zip.readUInt32LE(local) !== 0x04034b50) throw new Error('bad local header');
    const data = local + 30 + zip.readUInt16LE(local + 26) + zip.readUInt16LE(local + 28);
    const packed = zip.subarray(data, data + packedSize);
    const bytes = method === 0 ? Buffer.from(packed)
        : method === 8 ? zlib.inflateRawSync(packed)
        : null;
    if (bytes === null) throw new Error(`${name}: method ${method}`);
    if (crc32(bytes) !== crc) throw new Error(`${name}: CRC differs`);
    entries[name] = bytes;
    at += 46 + skip;
  }
  return entries;
}

module.exports = {noiseGif, rgbaPng, zipEntries, crc32};

if (require.main === module) {
  // node test_files.js OUTPUT.gif [SIZE]: the noise GIF, e.g. for speed.js.
  const size = Number(process.argv[3] || 4000);
  fs.writeFileSync(process.argv[2], noiseGif(
      size, size, 1, path.join(__dirname, '..', '..', 'resources', 'palette.pal')));
}
