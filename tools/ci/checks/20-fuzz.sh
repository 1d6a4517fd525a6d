#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset: clang, AddressSanitizer and
# UBSan) and fuzzes each for a fixed number of runs from a fixed seed,
# starting from the GIF corpus, the test data and fuzz/regressions (the
# palette file target from the palette files and fuzz/palette_seeds). Then
# the MemorySanitizer build replays every input the fuzzing kept: no
# uninitialised byte may reach a decision or the FRM file.
# Any crash, leak, sanitizer report or broken check fails the step; the
# input that did it is kept in build/fuzz/findings/. (The ci and asan test
# runs already replay the same folders through both targets.)
set -euo pipefail
cd "$(dirname "$0")/../../.."

# About a minute per target on a CI machine of two shared cores (the load
# alone runs about 2,500 inputs a second there, the whole conversion 1,700),
# half a minute for the palette files.
declare -A runs=([gif_load_fuzzer]=150000 [conversion_fuzzer]=100000
                [lzw_differential_fuzzer]=100000 [palette_file_fuzzer]=500000)
declare -A dicts=([gif_load_fuzzer]=gif [conversion_fuzzer]=gif
                 [lzw_differential_fuzzer]=gif [palette_file_fuzzer]=palette)
declare -A seeds=([gif_load_fuzzer]=seeds [conversion_fuzzer]=seeds
                 [lzw_differential_fuzzer]=seeds [palette_file_fuzzer]=palette-seeds)
# The largest palette file layout is 33,536 bytes.
declare -A lengths=([gif_load_fuzzer]=16384 [conversion_fuzzer]=16384
                   [lzw_differential_fuzzer]=16384 [palette_file_fuzzer]=40000)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target gif_load_fuzzer conversion_fuzzer \
  lzw_differential_fuzzer palette_file_fuzzer

findings=build/fuzz/findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The seeds, flattened into one folder (file names repeat across sources).
mkdir "$work/seeds"
n=0
for folder in ../shared/gif-corpus tests/data fuzz/regressions; do
  [ -d "$folder" ] || continue
  while IFS= read -r -d '' file; do
    n=$((n + 1))
    cp "$file" "$work/seeds/$n-$(basename "$file")"
  done < <(find "$folder" -type f \( -name '*.gif' -o -path '*/regressions/*' \) -print0 | sort -z)
done
echo "$n seed files"
mkdir "$work/palette-seeds"
cp resources/palette.pal resources/palette.act resources/palette.gpl \
  fuzz/palette_seeds/* "$work/palette-seeds/"

for target in gif_load_fuzzer conversion_fuzzer lzw_differential_fuzzer \
    palette_file_fuzzer; do
  mkdir "$work/$target"
  start=$(date +%s)
  # -detect_leaks stays on; -timeout and -rss_limit_mb make a hang or a
  # runaway allocation a finding too.
  if ! build/fuzz/fuzz/$target -seed=1 -runs="${runs[$target]}" \
      -dict="fuzz/${dicts[$target]}.dict" -max_len="${lengths[$target]}" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/$target-" "$work/$target" \
      "$work/${seeds[$target]}" \
      >"$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log"
    echo "$target: finding kept in $findings/" >&2
    exit 1
  fi
  grep -E '^(#[0-9]+ *DONE|Done|stat::)' "$work/$target.log" || true
  echo "$target: $(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$work/$target.log" | tail -n 1), $(( $(date +%s) - start )) s"
done

cmake --preset fuzz-msan >/dev/null
cmake --build --preset fuzz-msan --target gif_load_fuzzer conversion_fuzzer \
  palette_file_fuzzer
for target in gif_load_fuzzer conversion_fuzzer palette_file_fuzzer; do
  start=$(date +%s)
  if ! build/fuzz-msan/fuzz/$target -runs=0 -rss_limit_mb=4096 \
      -artifact_prefix="$findings/msan-$target-" "$work/$target" \
      "$work/${seeds[$target]}" \
      >"$work/msan-$target.log" 2>&1; then
    tail -n 60 "$work/msan-$target.log"
    echo "$target under MemorySanitizer: finding kept in $findings/" >&2
    exit 1
  fi
  echo "$target under MemorySanitizer: $(grep -oE '^#[0-9]+' "$work/msan-$target.log" | tail -n 1 | tr -d '#') inputs replayed, $(( $(date +%s) - start )) s"
done
