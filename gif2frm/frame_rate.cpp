#include "gif2frm/frame_rate.h"

#include <algorithm>
#include <vector>

std::uint16_t framesPerSecondFromDelays(const GifFile& gif,
                                        std::size_t frameCount) {
  const std::size_t count = std::min(frameCount, gif.frames.size());
  std::vector<std::uint16_t> delays;
  delays.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    const GifFrame& frame = gif.frames[k];
    // An image without a control extension, or with a delay of 0, says
    // nothing about the rate.
    if (frame.hasControl != 0 && frame.control.delayTime != 0) {
      delays.push_back(frame.control.delayTime);
    }
  }
  if (delays.empty()) return 0;

  // Sorted, equal delays form runs; the first longest run is the shortest of
  // the most common delays.
  std::sort(delays.begin(), delays.end());
  std::uint32_t delay = delays[0];
  std::size_t longest = 0;
  for (std::size_t start = 0; start < delays.size();) {
    std::size_t end = start;
    while (end < delays.size() && delays[end] == delays[start]) ++end;
    if (end - start > longest) {
      longest = end - start;
      delay = delays[start];
    }
    start = end;
  }
  // 100 / delay rounded half up, in whole numbers: (200 + delay) / (2 delay).
  const std::uint32_t rate = (200u + delay) / (2u * delay);
  return static_cast<std::uint16_t>(std::max<std::uint32_t>(rate, 1u));
}
