#!/usr/bin/env bash
# Installs the Debian packages that are missing for building (argument
# "build"), for building the packages, which carry the page (argument
# "package"), or for building and testing (no argument, or "test").
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$here/ci/build-packages.txt")
if [ "${1:-test}" != build ]; then lists+=("$here/ci/package-packages.txt"); fi
if [ "${1:-test}" = test ]; then lists+=("$here/ci/test-packages.txt"); fi

missing=()
for package in $(grep -hv '^\s*#' "${lists[@]}"); do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
# npm comes with NodeSource's nodejs, whose package replaces Debian's npm;
# with Debian's nodejs it is a package of its own.
if [ "${1:-test}" = test ] && ! command -v npm >/dev/null; then
  missing+=(npm)
fi
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
