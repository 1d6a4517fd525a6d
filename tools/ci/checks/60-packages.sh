#!/usr/bin/env bash
# The Linux package: cmake --install rules through CPack's .deb. The package
# is unpacked (not installed, which would change the machine) and checked:
# the files are where they belong, the program converts from there, and the
# manual page formats without warnings.
set -euo pipefail
cd "$(dirname "$0")/../../.."

# The package carries the page, which the web build (emscripten) makes.
cmake --preset web >/dev/null
cmake --build --preset web >/dev/null
cmake --preset pkg -DGIF2FRM_WEB_DIR="$PWD/build/web" >/dev/null
cmake --build --preset pkg --target gif2frm gif2frm_man_page
cpack --preset deb >/dev/null
deb=$(ls build/pkg/gif2frm_*.deb)
dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Architecture|Depends):'

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for file in usr/bin/gif2frm usr/share/man/man1/gif2frm.1.gz \
            usr/share/doc/gif2frm/README.md usr/share/gif2frm/palette.gpl \
            usr/share/gif2frm/palette.act usr/share/gif2frm/palette.pal; do
  [ -f "$root/$file" ] || { echo "$deb lacks /$file"; exit 1; }
done
cmp "$root/usr/share/gif2frm/palette.pal" resources/palette.pal
for file in index.html page.css page.js gif2frm.js; do
  cmp "$root/usr/share/gif2frm/web/$file" "build/web/$file" ||
    { echo "$deb lacks /usr/share/gif2frm/web/$file or holds another one"; exit 1; }
done

cp examples/walk.gif "$root/"
(cd "$root" && PATH="$root/usr/bin:$PATH" gif2frm walk.gif | tail -1)
[ -s "$root/walk.frm" ]

if command -v groff >/dev/null; then
  warnings=$(gzip -dc "$root/usr/share/man/man1/gif2frm.1.gz" |
             groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || { echo "$warnings"; exit 1; }
  echo "gif2frm.1 formats without warnings"
fi
