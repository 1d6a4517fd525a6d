// The timed operations of the benchmark, run over the same in-memory
// bytes, interleaved round by round so that a burst of other work on the
// machine hurts all three alike.
#ifndef GIF2FRM_BENCH_MEASUREMENTS_H_
#define GIF2FRM_BENCH_MEASUREMENTS_H_

#include <cstdint>
#include <vector>

namespace bench {

using Bytes = std::vector<std::uint8_t>;

// Seconds for one pass over a workload, per operation.
struct Timings {
  double ours = 0;        // GifFile::load, the frames freed again
  double giflib = 0;      // DGifOpen + DGifSlurp + DGifCloseFile
  double conversion = 0;  // load + frame assembly + FRM bytes to memory
  double unwritten = 0;   // load + frame assembly, the FRM bytes not copied
  double nearest = 0;     // the same with -m=nearest
  double dither = 0;      // the same with -m=dither
  double ordered = 0;     // the same with -m=ordered
};

enum class Statistic { Median, Best };

// Wall time, or the CPU time of this thread: on a machine shared with other
// work the latter leaves out the time the benchmark waited for a core, which
// is most of the noise; both decoders run on one thread, so it stays fair.
enum class Clock { Wall, ThreadCpu };

// Runs rounds rounds of [ours, giflib, conversion, unwritten, nearest,
// dither, ordered], each over every buffer of workload in turn, after at least
// 5 ms of the same operation untimed, and reduces each operation's round times
// by statistic.
Timings measure(const std::vector<const Bytes*>& workload, int rounds,
                Statistic statistic, Clock clock);

// One of each operation over buffer, untimed; true when the conversion
// produced an FRM image.
bool converts(const Bytes& buffer);

}  // namespace bench

#endif  // GIF2FRM_BENCH_MEASUREMENTS_H_
