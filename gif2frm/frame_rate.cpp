#include "gif2frm/frame_rate.h"

#include <algorithm>
#include <vector>

std::uint16_t framesPerSecondFromDelays(const SourceImage& image,
                                        std::size_t frameCount) {
  const std::size_t count = std::min(frameCount, image.frames.size());
  std::vector<std::uint16_t> delays;
  delays.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    // A frame without a delay says nothing about the rate.
    if (image.frames[k].delay != 0) delays.push_back(image.frames[k].delay);
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
