#include "bench/report.h"

#include <cstdio>

namespace bench {

namespace {

double mega(double value) { return value / 1e6; }
double mebi(std::uint64_t bytes) {
  return static_cast<double>(bytes) / 1048576.0;
}

const char* mark(bool ok) { return ok ? "ok" : "**FAIL**"; }

}  // namespace

std::uint64_t memoryBudget(std::uint64_t pixels) {
  return 2 * pixels + kMemoryAllowance;
}

void printHeader() {
  std::printf(
      "| file | frames | Mpx | ours Mpx/s | giflib Mpx/s | ratio | target |"
      " conversion Mpx/s | conversion/decode | unwritten/decode |"
      " nearest/conversion | dither/decode | ordered/conversion |"
      " peak MiB / budget |"
      " same pixels |\n"
      "|---|---:|---:|---:|---:|---:|---|---:|---|---:|---|---|---|---|---|\n");
}

void printRow(const Row& row) {
  const double pixels = static_cast<double>(row.pixels);
  const Timings& t = row.timings;
  const double ratio = t.giflib / t.ours;
  const double conversionOverDecode = t.conversion / t.ours;

  char target[48] = "-";
  if (row.targetRatio > 0) {
    std::snprintf(target, sizeof target, ">= %.1f %s", row.targetRatio,
                  mark(ratio >= row.targetRatio));
  }
  char memory[80];
  std::snprintf(memory, sizeof memory, "%.1f / %.1f %s%s%s",
                mebi(row.peakBytes), mebi(row.budgetBytes), mark(row.memoryOk),
                row.memoryNote.empty() ? "" : " ", row.memoryNote.c_str());

  std::printf("| %s | %llu | %.2f | %.0f | %.0f | %.2f | %s | ",
              row.label.c_str(), static_cast<unsigned long long>(row.frames),
              mega(pixels), mega(pixels / t.ours), mega(pixels / t.giflib),
              ratio, target);
  if (row.converts) {
    std::printf("%.0f | %.2f %s | %.2f | ", mega(pixels / t.conversion),
                conversionOverDecode,
                row.judgeConversion
                    ? mark(conversionOverDecode <= kMaxConversionOverDecode)
                    : "-",
                t.unwritten / t.ours);
  } else {
    std::printf("not converted | - | - | ");
  }
  // The match modes convert every file that loads. On the corpus row the
  // default conversion stops early on the files it cannot match, so the
  // targets are the generated files' only.
  const double nearestOverConversion = t.nearest / t.conversion;
  const double ditherOverDecode = t.dither / t.ours;
  const bool judged = row.targetRatio > 0;
  std::printf(
      "%.2f %s | %.2f %s | ", nearestOverConversion,
      judged ? mark(nearestOverConversion <= kMaxNearestOverConversion) : "",
      ditherOverDecode,
      judged ? mark(ditherOverDecode <= kMaxDitherOverDecode) : "");
  const double orderedOverConversion = t.ordered / t.conversion;
  std::printf(
      "%.2f %s | ", orderedOverConversion,
      judged ? mark(orderedOverConversion <= kMaxOrderedOverConversion) : "");
  std::printf("%s | %s |\n", memory, row.samePixels ? "yes" : "**no**");
  std::fflush(stdout);
}

}  // namespace bench
