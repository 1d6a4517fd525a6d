#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset: clang, AddressSanitizer and
# UBSan) and fuzzes each for a fixed number of runs from a fixed seed,
# starting from the GIF corpus, the test data and fuzz/regressions (the FRM
# reader from the FRM files among them, the palette file target from the
# palette files and fuzz/palette_seeds, the PNG reader from the PNG
# corpus, the PNG conversion from it and fuzz/png_conversion_seeds). Then
# the MemorySanitizer build of the GIF load, the conversion, the palette
# files, the FRM reader, the PNG reader and the PNG conversion (fuzz-msan)
# replays every input the fuzzing kept: no uninitialised byte may reach a
# decision or an output file. Any crash, leak, sanitizer report or broken
# check fails the step; the input that did it is kept in
# build/fuzz/findings/. (The ci and asan test runs already replay the same
# folders through every target.)
set -euo pipefail
cd "$(dirname "$0")/../../.."

# About a minute per target on a CI machine of two shared cores (the load
# alone runs about 2,500 inputs a second there, the whole conversion 1,700),
# half a minute for the palette files. The FRM reader turns most inputs away
# after its 62-byte header and runs about 50,000 a second here: 2,000,000
# runs take 40 s, a minute when busy. The PNG reader reads each input twice
# (in memory and through a small window), about 380 inputs a second here
# when busy: 25,000 runs take about a minute. The PNG conversion reads each
# input twice as well and converts it, about 1,000 inputs a second here when
# busy (after 2 s of loading its seeds): 50,000 runs take about a minute.
targets=(gif_load_fuzzer conversion_fuzzer lzw_differential_fuzzer
         palette_file_fuzzer frm_reader_fuzzer png_decode_fuzzer
         png_conversion_fuzzer)
msan_targets=(gif_load_fuzzer conversion_fuzzer palette_file_fuzzer
              frm_reader_fuzzer png_decode_fuzzer png_conversion_fuzzer)
# Run counts for about 10 to 40 s each on the CI machine (two cores),
# reading the seeds included: the step stays a few minutes long. (At 150,000,
# 100,000, 100,000 and 2,000,000 runs the GIF load, conversion, LZW and FRM
# targets took 99, 139, 153 and 235 s.)
declare -A runs=([gif_load_fuzzer]=40000 [conversion_fuzzer]=25000
                [lzw_differential_fuzzer]=20000 [palette_file_fuzzer]=500000
                [frm_reader_fuzzer]=400000 [png_decode_fuzzer]=25000
                [png_conversion_fuzzer]=50000)
declare -A dicts=([gif_load_fuzzer]=gif [conversion_fuzzer]=gif
                 [lzw_differential_fuzzer]=gif [palette_file_fuzzer]=palette
                 [png_decode_fuzzer]=png [png_conversion_fuzzer]=png)
declare -A seeds=([gif_load_fuzzer]=seeds [conversion_fuzzer]=seeds
                 [lzw_differential_fuzzer]=seeds [palette_file_fuzzer]=palette-seeds
                 [frm_reader_fuzzer]=frm-seeds [png_decode_fuzzer]=png-seeds
                 [png_conversion_fuzzer]=png-conversion-seeds)
# The largest palette file layout is 33,536 bytes.
declare -A lengths=([gif_load_fuzzer]=16384 [conversion_fuzzer]=16384
                   [lzw_differential_fuzzer]=16384 [palette_file_fuzzer]=40000
                   [frm_reader_fuzzer]=16384 [png_decode_fuzzer]=16384
                   [png_conversion_fuzzer]=16384)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"

findings=build/fuzz/findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The seeds, flattened into one folder each (file names repeat across
# sources): GIFs for the GIF targets, FRM files for the FRM reader.
flatten() {
  local into=$1 pattern=$2 n=0
  mkdir "$into"
  for folder in ../shared/gif-corpus ../shared/png-corpus tests/data fuzz/regressions; do
    [ -d "$folder" ] || continue
    while IFS= read -r -d '' file; do
      n=$((n + 1))
      cp "$file" "$into/$n-$(basename "$file")"
    done < <(find "$folder" -type f \( -name "$pattern" -o -path '*/regressions/*' \) -print0 | sort -z)
  done
  echo "$n seed files in $(basename "$into")"
}
flatten "$work/seeds" '*.gif'
flatten "$work/frm-seeds" '*.frm'
flatten "$work/png-seeds" '*png'
# The PNG conversion also from the golden PNGs behind option prefixes.
cp -r "$work/png-seeds" "$work/png-conversion-seeds"
cp fuzz/png_conversion_seeds/* "$work/png-conversion-seeds/"
mkdir "$work/palette-seeds"
cp resources/palette.pal resources/palette.act resources/palette.gpl \
  fuzz/palette_seeds/* "$work/palette-seeds/"

for target in "${targets[@]}"; do
  mkdir "$work/$target"
  start=$(date +%s)
  dictionary=()
  [ -n "${dicts[$target]:-}" ] && dictionary=(-dict="fuzz/${dicts[$target]}.dict")
  # -detect_leaks stays on; -timeout and -rss_limit_mb make a hang or a
  # runaway allocation a finding too.
  if ! build/fuzz/fuzz/$target -seed=1 -runs="${runs[$target]}" "${dictionary[@]}" \
      -max_len="${lengths[$target]}" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/$target-" \
      "$work/$target" "$work/${seeds[$target]}" \
      >"$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log"
    echo "$target: finding kept in $findings/" >&2
    exit 1
  fi
  grep -E '^(#[0-9]+ *DONE|Done|stat::)' "$work/$target.log" || true
  echo "$target: $(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$work/$target.log" | tail -n 1), $(( $(date +%s) - start )) s"
done

cmake --preset fuzz-msan >/dev/null
cmake --build --preset fuzz-msan --target "${msan_targets[@]}"
for target in "${msan_targets[@]}"; do
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
