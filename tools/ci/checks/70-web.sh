#!/usr/bin/env bash
# The page: the web build (the core compiled by emscripten), then the browser
# tests in Debian's Chromium, headless, driven by puppeteer-core: the page
# opened from file:// converts the GIF corpus to the native program's bytes
# and messages, one file at a time through its API and all at once as a
# batch with its .zip, and so the PNG corpus as batches with several option
# sets, folders of PNG frames (picked, dropped, or images picked together)
# and a sprite sheet; its frm2gif gives the native viewer's GIFs; the page
# answers input while a large file converts, Cancel stops a batch, the
# preview steps through the frames frm2gif -i lists, with each frame's
# source beside it, and the page works with the mouse and the keyboard.
set -euo pipefail
cd "$(dirname "$0")/../../.."
started=$SECONDS

echo "-- the web build"
cmake --preset web >/dev/null
cmake --build --preset web

# The native programs are the reference; the test finds frm2gif beside
# gif2frm.
native=build/ci/gif2frm
if [ ! -x "$native" ] || [ ! -x build/ci/frm2gif ]; then
  cmake --preset ci >/dev/null
  cmake --build --preset ci --target gif2frm frm2gif
fi

echo "-- the browser test"
# puppeteer-core never downloads a browser; the test starts /usr/bin/chromium.
(cd tests/web && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
GIF2FRM_NATIVE=$(realpath "$native")
export GIF2FRM_NATIVE
# One browser at a time: the machine has two cores.
(cd tests/web && node --test --test-concurrency=1 page.test.js batch.test.js png.test.js)
echo "web check: $((SECONDS - started)) s"
