// The clock and the statistics the benchmarks share.
#ifndef GIF2FRM_BENCH_BENCH_TIMING_H_
#define GIF2FRM_BENCH_BENCH_TIMING_H_

#include <time.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace bench {

// The CPU time of the calling thread, in seconds.
inline double threadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) +
         1e-9 * static_cast<double>(now.tv_nsec);
}

// Seconds of one call of work, after 5 ms of it untimed.
template <typename Work>
double timeOnce(Work work) {
  for (double start = threadSeconds(); threadSeconds() - start < 0.005;) {
    work();
  }
  const double start = threadSeconds();
  work();
  return threadSeconds() - start;
}

// The median (of an even count, the mean of the two middle values); 0 for
// no values.
inline double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle]
                                : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace bench

#endif  // GIF2FRM_BENCH_BENCH_TIMING_H_
