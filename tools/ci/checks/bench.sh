#!/usr/bin/env bash
# Keeps the benchmark building against the current reader and checks its
# generated corpus; the timings themselves are never judged in CI.
set -euo pipefail
cd "$(dirname "$0")/../../.."
cmake --preset bench >/dev/null
cmake --build --preset bench
ctest --preset bench
