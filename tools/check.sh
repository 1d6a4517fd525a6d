#!/usr/bin/env bash
# Builds everything and runs every test: the optimised build with warnings
# as errors, then the whole suite again under AddressSanitizer and UBSan,
# then the further checks in tools/ci/checks/ (fuzz replay, cross builds).
set -euo pipefail
cd "$(dirname "$0")/.."

# Each step's time is printed when it ends, so that a slow one shows.
step_done() { echo "== $1: $((SECONDS - $2)) s"; }

for preset in ci asan; do
  echo "== $preset build and tests"
  start=$SECONDS
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
  step_done "$preset" "$start"
done

shopt -s nullglob
for check in tools/ci/checks/*.sh; do
  echo "== $(basename "$check" .sh)"
  start=$SECONDS
  bash "$check"
  step_done "$(basename "$check" .sh)" "$start"
done
