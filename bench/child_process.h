// A real run of a program in a child process (fork, exec, wait4), with what
// the kernel accounts for it: its peak memory (ru_maxrss), its CPU time, and
// the wall time from the fork to the end of the wait.
//
// A forked child starts out sharing its parent's pages and the kernel counts
// them into the child's peak, even across exec. The peak is therefore only
// the program's own when the calling process is small at the time; the
// benchmarks run their children before they read any input, and say how
// small they were.
#ifndef GIF2FRM_BENCH_CHILD_PROCESS_H_
#define GIF2FRM_BENCH_CHILD_PROCESS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct ChildRun {
  int exitStatus = -1;          // -1 when it did not exit normally
  std::uint64_t peakBytes = 0;  // resident set high-water mark
  double wallSeconds = 0;       // fork to the end of the wait
  double cpuSeconds = 0;        // user and system time of the child
};

// Runs program with args in workDir and waits for it; its standard output
// and error are thrown away when quiet, else they are the caller's.
ChildRun runMeasured(const std::string& program,
                     const std::vector<std::string>& args,
                     const std::string& workDir, bool quiet = true);

// The calling process's resident set size now, in bytes (0 if unknown).
std::uint64_t currentResidentBytes();

// The full path of an executable found in PATH, or empty.
std::string findProgram(const std::string& name);

}  // namespace bench

#endif  // GIF2FRM_BENCH_CHILD_PROCESS_H_
