#!/usr/bin/env bash
# Builds everything and runs every test: the optimised build with warnings
# as errors, then the whole suite again under AddressSanitizer and UBSan,
# then the further checks in tools/ci/checks/ (fuzz replay, cross builds).
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in ci asan; do
  echo "== $preset build and tests"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

shopt -s nullglob
for check in tools/ci/checks/*.sh; do
  echo "== $(basename "$check" .sh)"
  bash "$check"
done
