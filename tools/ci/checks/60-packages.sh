#!/usr/bin/env bash
# The Linux package: cmake --install rules through CPack's .deb, made by the
# README's commands. The package is unpacked (not installed, which would
# change the machine) and checked: the files are where they belong, the page
# among them, the programs run from there, and the manual pages format
# without warnings.
set -euo pipefail
cd "$(dirname "$0")/../../.."

# The README's commands as they stand: the pkg build makes the page too
# (with the web preset, in build/web), and the package carries it.
cmake --preset pkg >/dev/null
cmake --build --preset pkg
cpack --preset deb >/dev/null
deb=$(ls build/pkg/gif2frm_*.deb)
dpkg-deb --info "$deb" | grep -E '^ (Package|Version|Architecture|Depends):'

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for file in usr/bin/gif2frm usr/share/man/man1/gif2frm.1.gz \
            usr/bin/frm2gif usr/share/man/man1/frm2gif.1.gz \
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
# And back: the packaged frm2gif shows the sprite just made.
(cd "$root" && PATH="$root/usr/bin:$PATH" frm2gif -o=shown.gif walk.frm | tail -1)
[ -s "$root/shown.gif" ]

if command -v groff >/dev/null; then
  for program in gif2frm frm2gif; do
    warnings=$(gzip -dc "$root/usr/share/man/man1/$program.1.gz" |
               groff -man -Tutf8 -ww -z 2>&1)
    [ -z "$warnings" ] || { echo "$warnings"; exit 1; }
    echo "$program.1 formats without warnings"
  done
fi
