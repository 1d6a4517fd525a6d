#include "color/floyd_steinberg.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "color/six_bit.h"

namespace {

constexpr std::uint32_t kCells = 64 * 64 * 64;
constexpr std::int32_t kOne = 16;  // an 8-bit step in error units
constexpr std::int32_t kMaxComponent = 255 * kOne;

std::int32_t clampComponent(std::int32_t v) {
  return v < 0 ? 0 : (v > kMaxComponent ? kMaxComponent : v);
}

// x / 16, rounded to nearest (halves up). A shift right of a negative value
// is arithmetic with every compiler this builds with (and by definition
// from C++20 on).
std::int32_t sixteenths(std::int32_t x) { return (x + 8) >> 4; }

}  // namespace

bool NearestCache::allocate() {
  if (!cells_.allocate(kCells)) return false;
  std::memset(cells_.data(), 0, kCells);
  return true;
}

std::uint8_t NearestCache::fill(std::uint32_t cell, std::uint32_t red,
                                std::uint32_t green, std::uint32_t blue) {
  const std::uint8_t entry =
      lab_.nearest(expandSixBit(static_cast<std::uint8_t>(red)),
                   expandSixBit(static_cast<std::uint8_t>(green)),
                   expandSixBit(static_cast<std::uint8_t>(blue)));
  cells_.data()[cell] = entry;
  return entry;
}

bool FloydSteinberg::start(std::uint32_t width, const std::uint8_t* table,
                           std::uint32_t entryCount, const ColorMap& map,
                           bool transparent, std::uint8_t transparentIndex) {
  width_ = width;
  const std::size_t rowValues = 3 * (std::size_t{width} + 2);
  if (!errors_.allocate(2 * rowValues * sizeof(std::int32_t))) return false;
  std::memset(errors_.data(), 0, errors_.size());
  above_ = reinterpret_cast<std::int32_t*>(errors_.data());
  below_ = above_ + rowValues;
  aboveFirst_ = aboveEnd_ = 0;

  const PaletteLab& lab = cache_.lab();
  for (std::size_t entry = 0; entry < 256; ++entry) {
    const std::uint8_t* wide = lab.widened(static_cast<std::uint8_t>(entry));
    for (std::size_t k = 0; k < 3; ++k) widened_[entry][k] = kOne * wide[k];
  }
  for (std::uint32_t i = 0; i < 256; ++i) {
    kind_[i] = i >= entryCount || table == nullptr ? kFixed : kDiffused;
    fixed_[i] = map[i];
    if (kind_[i] == kFixed) continue;
    const std::uint8_t* color = table + 3 * std::size_t{i};
    // A colour that is a palette entry at the palette's own precision (the
    // same 6-bit components) is that entry, as it is for -d=0: art drawn
    // with the swatch files' colours has no error to diffuse.
    const std::uint8_t entry = cache_.lookup(color[0], color[1], color[2]);
    const std::uint8_t* wide = lab.widened(entry);
    const bool isEntry = wide[0] >> 2 == color[0] >> 2 &&
                         wide[1] >> 2 == color[1] >> 2 &&
                         wide[2] >> 2 == color[2] >> 2;
    for (std::size_t k = 0; k < 3; ++k) {
      scaled_[i][k] = kOne * (isEntry ? wide[k] : color[k]);
    }
    if (isEntry) {
      kind_[i] = kExact;
      fixed_[i] = entry;
    }
  }
  if (transparent) {
    kind_[transparentIndex] = kFixed;
    fixed_[transparentIndex] = 0;
  }
  return true;
}

std::uint32_t FloydSteinberg::mapQuiet(const std::uint8_t* source,
                                       std::uint8_t* out, std::uint32_t x,
                                       std::uint32_t end) const {
  // Sprites and flat pictures are mostly runs of one index that is not
  // diffused: those are filled, not mapped pixel by pixel.
  constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
  while (x + 8 <= end) {
    std::uint64_t word;
    std::memcpy(&word, source + x, 8);
    const std::uint64_t first = word & 0xFF;
    if (word == first * kEveryByte && kind_[first] != kDiffused) {
      // The whole run, found a word at a time, then filled at once (its
      // pixels are all read before any is written).
      std::uint32_t runEnd = x + 8;
      for (std::uint64_t next; runEnd + 8 <= end; runEnd += 8) {
        std::memcpy(&next, source + runEnd, 8);
        if (next != word) break;
      }
      std::memset(out + x, fixed_[first], runEnd - x);
      x = runEnd;
      continue;
    }
    for (std::uint32_t j = x; j < x + 8; ++j) {
      const std::uint8_t index = source[j];
      if (kind_[index] == kDiffused) return j;
      out[j] = fixed_[index];
    }
    x += 8;
  }
  for (; x < end; ++x) {
    const std::uint8_t index = source[x];
    if (kind_[index] == kDiffused) return x;
    out[x] = fixed_[index];
  }
  return x;
}

void FloydSteinberg::row(const std::uint8_t* source, std::uint32_t delivered,
                         std::uint8_t* out) {
  if (width_ == 0) return;
  if (delivered > width_) delivered = width_;
  // Pixel x's error is at [3 * x + 3], after the left margin. The error from
  // the left travels in registers, not through memory, as the next pixel
  // needs it at once.
  const std::int32_t* const above = above_ + 3;
  std::int32_t* const below = below_ + 3;
  NearestCache& cache = cache_;
  std::int32_t carry[3] = {0, 0, 0};
  std::uint32_t firstDiffused = delivered;
  std::uint32_t lastDiffused = 0;
  // No error from above reaches the pixels before quietBefore or from
  // quietFrom on (the row above wrote only pixels aboveFirst_ - 1 to
  // aboveEnd_ - 2). Where none comes from the left either, a pixel that is
  // not diffused is simply its entry.
  const std::uint32_t quietBefore =
      aboveEnd_ > aboveFirst_ ? (aboveFirst_ == 0 ? 0 : aboveFirst_ - 1)
                              : delivered;
  const std::uint32_t quietFrom = aboveEnd_ > aboveFirst_ ? aboveEnd_ - 1 : 0;
  for (std::uint32_t x = 0; x < delivered; ++x) {
    if ((carry[0] | carry[1] | carry[2]) == 0 &&
        (x < quietBefore || x >= quietFrom)) {
      x = mapQuiet(
          source, out, x,
          x < quietBefore ? std::min(quietBefore, delivered) : delivered);
      if (x == delivered) break;
    }
    const std::uint8_t index = source[x];
    const std::int32_t* const fromAbove = above + 3 * std::size_t{x};
    const Kind kind = kind_[index];
    if (kind == kFixed ||
        (kind == kExact && (carry[0] | carry[1] | carry[2] | fromAbove[0] |
                            fromAbove[1] | fromAbove[2]) == 0)) {
      // Left out, or a palette colour that no error reaches: it is its
      // entry exactly, and has no error to pass on.
      out[x] = fixed_[index];
      carry[0] = carry[1] = carry[2] = 0;
      continue;
    }
    if (firstDiffused == delivered) firstDiffused = x;
    lastDiffused = x;
    std::int32_t value[3];
    for (int k = 0; k < 3; ++k) {
      value[k] = clampComponent(scaled_[index][k] + fromAbove[k] + carry[k]);
    }
    // The value rounded to 8 bits, (v + 8) / 16, then to 6 bits, / 4.
    const std::uint8_t entry =
        cache.lookupSixBit(static_cast<std::uint32_t>((value[0] + 8) >> 6),
                           static_cast<std::uint32_t>((value[1] + 8) >> 6),
                           static_cast<std::uint32_t>((value[2] + 8) >> 6));
    out[x] = entry;
    std::int32_t* const under = below + 3 * std::size_t{x};
    for (int k = 0; k < 3; ++k) {
      const std::int32_t error = value[k] - widened_[entry][k];
      // The shares as differences of rounded running sums (7, 7 + 3 and
      // 7 + 3 + 5 sixteenths), so that the four add up to the whole error.
      const std::int32_t toRight = sixteenths(error * 7);
      const std::int32_t toBelowLeft = sixteenths(error * 10);
      const std::int32_t toBelow = sixteenths(error * 15);
      carry[k] = toRight;
      under[k - 3] += toBelowLeft - toRight;
      under[k] += toBelow - toBelowLeft;
      under[k + 3] += error - toBelow;
    }
  }
  std::memset(out + delivered, 0, width_ - delivered);

  // The row above is used up: back to all 0. Each diffused pixel x wrote
  // pixels x - 1 to x + 1 of the row below: x to x + 2 with the margin.
  if (aboveEnd_ > aboveFirst_) {
    std::memset(
        above_ + 3 * std::size_t{aboveFirst_}, 0,
        3 * std::size_t{aboveEnd_ - aboveFirst_} * sizeof(std::int32_t));
  }
  aboveFirst_ = aboveEnd_ = 0;
  if (firstDiffused < delivered) {
    aboveFirst_ = firstDiffused;
    aboveEnd_ = lastDiffused + 3;
  }
  std::swap(above_, below_);
}
