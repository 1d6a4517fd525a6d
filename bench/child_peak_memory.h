// Peak memory of a real run of a program, as the kernel accounts it for a
// child process (getrusage of the child, ru_maxrss).
//
// A forked child starts out sharing its parent's pages and the kernel counts
// them into the child's peak, even across exec. The figure is therefore only
// the program's own when the calling process is small at the time; the
// benchmark measures before it reads any input, and the baseline below says
// how small it was.
#ifndef GIF2FRM_BENCH_CHILD_PEAK_MEMORY_H_
#define GIF2FRM_BENCH_CHILD_PEAK_MEMORY_H_

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct ChildRun {
  int exitStatus = -1;          // -1 when it did not exit normally
  std::uint64_t peakBytes = 0;  // resident set high-water mark
};

// Runs program with args in workDir and waits for it; its standard output
// and error are thrown away when quiet, else they are the caller's.
ChildRun runMeasured(const std::string& program,
                     const std::vector<std::string>& args,
                     const std::string& workDir, bool quiet = true);

// The calling process's resident set size now, in bytes (0 if unknown).
std::uint64_t currentResidentBytes();

}  // namespace bench

#endif  // GIF2FRM_BENCH_CHILD_PEAK_MEMORY_H_
