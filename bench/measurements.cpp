#include "bench/measurements.h"

#include <time.h>

#include <algorithm>
#include <chrono>

#include "bench/giflib_decode.h"
#include "frm/frm_image.h"
#include "gif/gif_file.h"
#include "gif2frm/conversion.h"
#include "platform/byte_sink.h"

namespace bench {

namespace {

// The FRM bytes go to memory that is kept between runs, as a file's page
// cache would be, so that the copy is measured and not the allocation.
class MemorySink : public platform::ByteSink {
 public:
  bool write(const void* bytes, std::size_t size) override {
    const auto* begin = static_cast<const std::uint8_t*>(bytes);
    data_.insert(data_.end(), begin, begin + size);
    return true;
  }
  void clear() { data_.clear(); }

 private:
  std::vector<std::uint8_t> data_;
};

// The results are summed into a value the caller keeps, so that the
// compiler cannot drop a run whose outcome nobody reads.
std::uint64_t loadOurs(const Bytes& buffer) {
  GifFile gif;
  GifInput input(buffer.data(), buffer.size());
  const GifStatus status = gif.load(input);
  return static_cast<std::uint64_t>(status) + gif.frames.size();
}

std::uint64_t loadGiflib(const Bytes& buffer) {
  const GiflibGif gif(buffer.data(), buffer.size());
  return static_cast<std::uint64_t>(gif.ok()) + gif.pixels();
}

std::uint64_t convert(const Bytes& buffer, MemorySink& sink,
                      ColorMatch mode = ColorMatch::FirstWithinDelta,
                      bool write = true) {
  sink.clear();
  GifFile gif;
  FrmImage image;  // destroyed before gif, as in the program
  Options options;
  options.matchMode = mode;
  const RunOutcome outcome =
      convertGif(buffer.data(), buffer.size(), options, gif, image);
  if (!outcome.done()) return 0;
  if (!write) return image.frameAreaSize + 1;
  return static_cast<std::uint64_t>(image.write(sink)) + 1;
}

double now(Clock clock) {
  if (clock == Clock::Wall) {
    return std::chrono::duration<double>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  timespec time{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
  return static_cast<double>(time.tv_sec) +
         static_cast<double>(time.tv_nsec) * 1e-9;
}

template <typename Operation>
double timePass(const std::vector<const Bytes*>& workload, Clock clock,
                Operation&& operation, std::uint64_t& keep) {
  // Untimed first, for at least 5 ms: on this machine memory-bound work
  // after a stretch of work that hardly touches memory runs at half speed
  // for about 3 ms (a 12 MiB memcpy takes 1.8 ms twice, then 0.9 ms, after a
  // 50 ms loop that only counts; after a 10 ms loop it does not slow down).
  // giflib's decode is such a stretch, and the pass after it, the
  // conversion, paid for it: 3 ms on the flat picture where it takes 1.4 ms
  // after a pass of ours. Now every pass is timed after the same warm-up,
  // its own operation on its own input.
  const double warmUp = now(clock);
  do {
    for (const Bytes* buffer : workload) keep += operation(*buffer);
  } while (now(clock) - warmUp < 0.005);
  const double start = now(clock);
  for (const Bytes* buffer : workload) keep += operation(*buffer);
  return now(clock) - start;
}

double reduce(std::vector<double> times, Statistic statistic) {
  std::sort(times.begin(), times.end());
  if (statistic == Statistic::Best) return times.front();
  const std::size_t middle = times.size() / 2;
  return times.size() % 2 == 1 ? times[middle]
                               : (times[middle - 1] + times[middle]) / 2;
}

}  // namespace

Timings measure(const std::vector<const Bytes*>& workload, int rounds,
                Statistic statistic, Clock clock) {
  MemorySink sink;
  std::uint64_t keep = 0;
  std::vector<double> ours, giflib, conversion, unwritten, nearest, dither,
      ordered;
  for (int round = 0; round < rounds; ++round) {
    ours.push_back(timePass(workload, clock, loadOurs, keep));
    giflib.push_back(timePass(workload, clock, loadGiflib, keep));
    conversion.push_back(timePass(
        workload, clock, [&sink](const Bytes& b) { return convert(b, sink); },
        keep));
    unwritten.push_back(timePass(
        workload, clock,
        [&sink](const Bytes& b) {
          return convert(b, sink, ColorMatch::FirstWithinDelta, false);
        },
        keep));
    for (auto [mode, times] : {std::pair{ColorMatch::Nearest, &nearest},
                               std::pair{ColorMatch::Dither, &dither},
                               std::pair{ColorMatch::Ordered, &ordered}}) {
      times->push_back(timePass(
          workload, clock,
          [&sink, mode = mode](const Bytes& b) {
            return convert(b, sink, mode);
          },
          keep));
    }
  }
  // An impossible value, so that keep is live but never prints.
  if (keep == ~std::uint64_t{0}) return {};
  return {reduce(ours, statistic),       reduce(giflib, statistic),
          reduce(conversion, statistic), reduce(unwritten, statistic),
          reduce(nearest, statistic),    reduce(dither, statistic),
          reduce(ordered, statistic)};
}

bool converts(const Bytes& buffer) {
  MemorySink sink;
  return convert(buffer, sink) == 1;
}

}  // namespace bench
