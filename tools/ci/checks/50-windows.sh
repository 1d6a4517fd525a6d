#!/usr/bin/env bash
# The Windows program: the 64-bit cross-build and its test suite under Wine;
# the 32-bit cross-build, compiled and linked only (Debian's wine64 runs
# 64-bit programs alone); the same conversions on Linux and under Wine,
# compared byte for byte, and the same GIFs from frm2gif; and the .zip
# package of each build.
set -euo pipefail
cd "$(dirname "$0")/../../.."
started=$SECONDS
prefix=build/win64/wine-prefix

# The .zip carries the page, which each build makes with the web preset
# (in build/web), as the README's commands do.
for preset in win64 win32; do
  echo "-- $preset: configure and build"
  cmake --preset "$preset" >/dev/null
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
  for file in gif2frm.exe frm2gif.exe README.md palettes/palette.gpl \
              palettes/palette.act palettes/palette.pal; do
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

# frm2gif: the same GIFs and the same text from both programs, for every
# FRM of the test data and the sprite just made, and from the packaged one.
linux_viewer=build/ci/frm2gif
if [ ! -x "$linux_viewer" ]; then
  cmake --preset ci >/dev/null
  cmake --build --preset ci --target frm2gif
fi
repo=$PWD
for side in linux windows; do
  if [ $side = linux ]; then viewer=("$repo/$linux_viewer"); else
    viewer=("$repo/tools/wine/run-wine" "$repo/$prefix"
            "$work/gif2frm-0.1-win64/frm2gif.exe")
  fi
  mkdir "$work/shown-$side"
  cp tests/data/golden/*.frm tests/data/viewer/*.frm "$work/walk.frm" \
     "$work/shown-$side/"
  (cd "$work/shown-$side" &&
   for sprite in *.frm; do
     "${viewer[@]}" "$sprite" && "${viewer[@]}" -i "$sprite"
   done >messages.txt)
done
diff -r "$work/shown-linux" "$work/shown-windows"
echo "packaged frm2gif.exe shows $(ls "$work"/shown-linux/*.frm | wc -l) sprites as the Linux program does"

# Wine's server stays a few seconds after the last program; wait for it so
# that nothing of this check outlives it.
WINEPREFIX=$(realpath "$prefix") /usr/lib/wine/wineserver -w 2>/dev/null ||
  WINEPREFIX=$(realpath "$prefix") wineserver -w 2>/dev/null || true
echo "windows check: $((SECONDS - started)) s"
