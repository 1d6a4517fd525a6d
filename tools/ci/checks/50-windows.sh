#!/usr/bin/env bash
# The Windows program: the 64-bit cross-build and its test suite under Wine;
# the 32-bit cross-build of the programs, compiled and linked only, without
# the tests (Debian's wine64 runs 64-bit programs alone); the same conversions on Linux and under Wine,
# compared byte for byte, the same GIFs from frm2gif and the same sprites
# made of them again by gif2frm; and the .zip package of each build.
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

# The way back: on each side, frm2gif writes the GIFs into a folder of their
# own, and the gif2frm command that -i ends with, run by that side's gif2frm,
# puts the sprite back from them (-o= names it in its folder). Wherever -i
# promises the identical file, it is; and both sides make the same files.
for side in linux windows; do
  if [ $side = linux ]; then
    viewer=("$repo/$linux_viewer")
    converter=("$repo/$linux")
  else
    viewer=("$repo/tools/wine/run-wine" "$repo/$prefix"
            "$work/gif2frm-0.1-win64/frm2gif.exe")
    converter=("$repo/tools/wine/run-wine" "$repo/$prefix"
               "$work/gif2frm-0.1-win64/gif2frm.exe")
  fi
  back="$work/back-$side"
  mkdir -p "$back/sprites" "$back/gifs"
  cp tests/data/golden/*.frm tests/data/viewer/*.frm "$work/walk.frm" \
     "$back/sprites/"
  exact=0
  for sprite in "$back"/sprites/*.frm; do
    name=sprites/$(basename "$sprite")
    cp "$sprite" "$sprite.before"
    (cd "$back" && "${viewer[@]}" -o=gifs "$name" >/dev/null) || exit 1
    info=$(cd "$back" && "${viewer[@]}" -i -o=gifs "$name") || exit 1
    # The names here need no quoting: the command splits at its spaces.
    read -r -a words <<<"$(printf '%s\n' "$info" | tail -n 1)"
    [ "${words[0]}" = gif2frm ] || { echo "no command after -i $name"; exit 1; }
    (cd "$back" && "${converter[@]}" "${words[@]:1}" >/dev/null) || exit 1
    if printf '%s\n' "$info" | grep -qx 'Back to the identical FRM file:'; then
      cmp "$sprite" "$sprite.before" || exit 1
      exact=$((exact + 1))
    fi
  done
  echo "$side: $exact sprites come back identical from their GIFs"
done
diff -r "$work/back-linux" "$work/back-windows"

# Wine's server stays a few seconds after the last program; wait for it so
# that nothing of this check outlives it.
WINEPREFIX=$(realpath "$prefix") /usr/lib/wine/wineserver -w 2>/dev/null ||
  WINEPREFIX=$(realpath "$prefix") wineserver -w 2>/dev/null || true
echo "windows check: $((SECONDS - started)) s"
