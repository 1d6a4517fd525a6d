#include "fuzz/fuzz_options.h"

#include <limits>

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// The default, the edges of the matching (nothing matches below 0, every
// colour matches entry 1 at 765 and beyond) and the extremes of the type.
constexpr std::int32_t kDeltas[8] = {4, 0, 1, -1, 64, 765, kMin, kMax};
// Values whose low 16 bits, which the header keeps, wrap in every way.
constexpr std::int32_t kShifts[16] = {
    0,     1,      -1, 32767, -32768, 32768, 65535,    65536,
    70000, -70000, 12, -300,  kMin,   kMax,  kMin + 1, 1 << 20};
// The first frame, frames that only longer directions have, and the largest
// value -a= takes.
constexpr std::uint16_t kActionFrames[4] = {0, 1, 5, 65535};
// The default, the extremes (0: nothing is transparent; 255: only opaque
// pixels are not), and the values on either side of the default's edge.
constexpr std::uint8_t kAlphaThresholds[8] = {128, 0,   1,   127,
                                              129, 200, 254, 255};

}  // namespace

FuzzInput splitFuzzInput(const std::uint8_t* data, std::size_t size) {
  if (size >= 2 && data[0] == 'M') {
    constexpr ColorMatch kModes[4] = {ColorMatch::FirstWithinDelta,
                                      ColorMatch::Nearest, ColorMatch::Dither,
                                      ColorMatch::Ordered};
    FuzzInput input = splitFuzzInput(data + 2, size - 2);
    input.options.matchMode = kModes[data[1] % 4];
    return input;
  }
  if (size >= 2 && data[0] == 'T') {
    FuzzInput input = splitFuzzInput(data + 2, size - 2);
    input.options.alphaThreshold = kAlphaThresholds[data[1] & 7];
    input.options.trim = (data[1] & 8) != 0;
    return input;
  }
  FuzzInput input{Options{}, data, size};
  if (size == 0 || data[0] == 'G' || data[0] == 0x89) return input;
  const std::uint8_t flags = data[0];
  const std::uint8_t shifts = size > 1 ? data[1] : 0;
  input.options.translateColors = (flags & 1) == 0;
  input.options.colorDelta = kDeltas[(flags >> 1) & 7];
  // Direction 0 takes the value the byte names, the others its neighbours
  // in the list, so that six directions get shifts of their own.
  for (int k = 0; k < kDirectionFileCount; ++k) {
    input.options.xShift[k] = kShifts[(shifts & 15) ^ k];
    input.options.yShift[k] = kShifts[(shifts >> 4) ^ k];
  }
  input.options.sixDirectionsInOne = (flags & 0x10) != 0;
  if ((flags & 0x20) != 0) {
    input.options.frameRateSource = FrameRateSource::FromGifs;
  }
  input.options.actionFrame = kActionFrames[flags >> 6];
  input.options.hasActionFrame = (flags >> 6) != 0;
  const std::size_t used = size > 1 ? 2 : 1;
  input.gif = data + used;
  input.gifSize = size - used;
  return input;
}
