// The benchmark's table, printed as Markdown so that it can be pasted into
// the README as it is.
#ifndef GIF2FRM_BENCH_REPORT_H_
#define GIF2FRM_BENCH_REPORT_H_

#include <cstdint>
#include <string>

#include "bench/measurements.h"

namespace bench {

// The limits the issue sets besides the per-file ratio.
constexpr double kMaxConversionOverDecode = 1.25;
// The match modes: -m=nearest against the default conversion, -m=dither
// against the decode.
constexpr double kMaxNearestOverConversion = 1.10;
constexpr double kMaxDitherOverDecode = 5.0;
// -m=ordered against the default conversion.
constexpr double kMaxOrderedOverConversion = 1.5;
constexpr std::uint64_t kMemoryAllowance = 8u << 20;

// Peak memory allowed for a run over pixels pixels: 2 x pixels + 8 MiB.
std::uint64_t memoryBudget(std::uint64_t pixels);

struct Row {
  std::string label;
  std::uint64_t frames = 0;
  std::uint64_t pixels = 0;  // sum of width x height of all frames
  Timings timings;
  double targetRatio = 0;   // 0: no target
  bool samePixels = false;  // our frames equal giflib's
  bool converts = false;    // the in-memory conversion succeeded
  // Whether the conversion is held to kMaxConversionOverDecode: not on a
  // tiny file, where fixed costs are all there is.
  bool judgeConversion = true;
  // The worst real run: its peak, its budget, and whether every run that
  // the row stands for exited with 0 within its own budget.
  std::uint64_t peakBytes = 0;
  std::uint64_t budgetBytes = 0;
  bool memoryOk = true;
  std::string memoryNote;  // why memoryOk is false, if not the budget
};

void printHeader();
void printRow(const Row& row);

}  // namespace bench

#endif  // GIF2FRM_BENCH_REPORT_H_
