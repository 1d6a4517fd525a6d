#!/usr/bin/env bash
# The layout of the product code (tools/check_layout.py): no two units
# include each other in a circle, no room includes a room above it, and, from
# the objects of the ci build, no two units call each other in a circle.
# First, every C++ file of ours is formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/../../.."

git ls-files -z '*.cpp' '*.h' ':!third_party' |
  xargs -0 clang-format --dry-run -Werror
echo "every C++ file formatted as .clang-format says"

# The checker itself first, on small made-up trees.
python3 tools/check_layout_test.py

# Every object of the product code on Linux: the two programs and the
# libraries they link. Nothing to do when the ci run has built them already.
cmake --preset ci >/dev/null
cmake --build --preset ci --target gif2frm frm2gif >/dev/null
python3 tools/check_layout.py --objects build/ci
