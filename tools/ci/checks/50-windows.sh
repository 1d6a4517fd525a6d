#!/usr/bin/env bash
# The Windows program: the 64-bit cross-build and its test suite under Wine;
# the 32-bit cross-build, compiled and linked only (Debian's wine64 runs
# 64-bit programs alone); the same conversions on Linux and under Wine,
# compared byte for byte; and the .zip package of each build.
set -euo pipefail
cd "$(dirname "$0")/../../.."
started=$SECONDS
prefix=build/win64/wine-prefix

# The .zip carries the page, which the web build (emscripten) makes.
echo "-- the page for the packages"
cmake --preset web >/dev/null
cmake --build --preset web >/dev/null

for preset in win64 win32; do
  echo "-- $preset: configure and build"
  cmake --preset "$preset" -DGIF2FRM_WEB_DIR="$PWD/build/web" >/dev/null
  cmake --build --preset "$preset"
done

echo "-- win64: the tests under Wine"
ctest --preset win64

echo "-- the same output from the Linux program and the Windows program"
linux=build/ci/gif2frm
if [ ! -x "$linux" ]; then
  cmake --preset ci >/dev/null
  cmake --build --preset ci --target gif2frm
fi
tools/wine/compare-with-linux "$linux" build/win64/gif2frm.exe "$prefix"

echo "-- the .zip packages"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for preset in win64 win32; do
  cpack --preset "$preset" >/dev/null
  zip=build/$preset/gif2frm-0.1-$preset.zip
  (cd "$work" && cmake -E tar xf "$OLDPWD/$zip")
  for file in gif2frm.exe README.md palettes/palette.gpl palettes/palette.act \
              palettes/palette.pal; do
    [ -f "$work/gif2frm-0.1-$preset/$file" ] ||
      { echo "$zip lacks $file"; exit 1; }
  done
  for file in index.html page.css page.js gif2frm.js; do
    cmp "$work/gif2frm-0.1-$preset/web/$file" "build/web/$file" ||
      { echo "$zip lacks web/$file or holds another one"; exit 1; }
  done
done
# The packaged program is the stripped one: it must still convert, and to
# the same bytes as the Linux program.
cp examples/walk.gif "$work/"
(cd "$work" && "$OLDPWD/$linux" walk.gif >/dev/null && mv walk.frm linux.frm)
(cd "$work" && "$OLDPWD/tools/wine/run-wine" "$OLDPWD/$prefix" \
   gif2frm-0.1-win64/gif2frm.exe walk.gif >/dev/null)
cmp "$work/linux.frm" "$work/walk.frm"
echo "packaged gif2frm.exe converts walk.gif as the Linux program does"

# Wine's server stays a few seconds after the last program; wait for it so
# that nothing of this check outlives it.
WINEPREFIX=$(realpath "$prefix") /usr/lib/wine/wineserver -w 2>/dev/null ||
  WINEPREFIX=$(realpath "$prefix") wineserver -w 2>/dev/null || true
echo "windows check: $((SECONDS - started)) s"
