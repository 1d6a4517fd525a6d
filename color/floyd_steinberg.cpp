#include "color/floyd_steinberg.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "color/linear_light.h"
#include "color/six_bit.h"

namespace {

constexpr std::uint32_t kCells = 64 * 64 * 64;
constexpr std::uint32_t kMaxComponent = LinearLight::kOne;

std::int32_t clampComponent(std::int32_t v) {
  constexpr std::int32_t kMax = LinearLight::kOne;
  return v < 0 ? 0 : (v > kMax ? kMax : v);
}

// Of each pixel's error, this many sixteenths are passed on. Carrying the
// whole error makes the pattern noisier than the eye needs: the last
// sixteenth buys little of the blend's accuracy and costs graininess.
constexpr std::int32_t kOneShare = 16;
constexpr std::int32_t kCarried = 15;
// Of the luminance that clipping to the RGB cube would drop, this share in
// 1/kOneShare moves to the components still inside it. A saturated colour
// outside the palette's range otherwise keeps calling for more of a
// component that no entry has, and its pattern comes out darker than the
// colour; moving all of it would trade too much of the colour's saturation.
constexpr std::int64_t kLuminanceKept = 3;
// Rec. 709 luminance weights, in 1/1024.
constexpr std::int64_t kLuminance[3] = {218, 732, 74};

// Puts a colour plus its error into the RGB cube (0 to LinearLight::kOne),
// with some of the luminance that the clip drops given to the components
// that are inside.
void keepInRange(std::int32_t value[3]) {
  if (static_cast<std::uint32_t>(value[0]) <= kMaxComponent &&
      static_cast<std::uint32_t>(value[1]) <= kMaxComponent &&
      static_cast<std::uint32_t>(value[2]) <= kMaxComponent) {
    return;  // inside already, as nearly always
  }
  std::int64_t lost = 0;
  std::int64_t room = 0;
  bool clipped[3];
  for (int k = 0; k < 3; ++k) {
    const std::int32_t inside = clampComponent(value[k]);
    clipped[k] = inside != value[k];
    lost += kLuminance[k] * (value[k] - inside);
    if (!clipped[k]) room += kLuminance[k];
    value[k] = inside;
  }
  if (lost == 0 || room == 0) return;
  const std::int64_t moved = lost * kLuminanceKept / (kOneShare * room);
  for (int k = 0; k < 3; ++k) {
    if (!clipped[k])
      value[k] = clampComponent(value[k] + static_cast<std::int32_t>(moved));
  }
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

bool FloydSteinberg::startRows(std::uint32_t width) {
  width_ = width;
  const std::size_t rowValues = 3 * (std::size_t{width} + 2);
  if (!errors_.allocate(2 * rowValues * sizeof(std::int32_t))) return false;
  std::memset(errors_.data(), 0, errors_.size());
  above_ = reinterpret_cast<std::int32_t*>(errors_.data());
  below_ = above_ + rowValues;
  aboveFirst_ = aboveEnd_ = 0;
  const LinearLight& linear = LinearLight::tables();
  const PaletteLab& lab = cache_.lab();
  for (std::size_t entry = 0; entry < 256; ++entry) {
    const std::uint8_t* wide = lab.widened(static_cast<std::uint8_t>(entry));
    for (std::size_t k = 0; k < 3; ++k) {
      widened_[entry][k] = linear.fromSrgb(wide[k]);
    }
  }
  return true;
}

bool FloydSteinberg::start(std::uint32_t width, const std::uint8_t* table,
                           std::uint32_t entryCount, const ColorMap& map,
                           bool transparent, std::uint8_t transparentIndex) {
  if (!startRows(width)) return false;
  const LinearLight& linear = LinearLight::tables();
  const PaletteLab& lab = cache_.lab();
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
      scaled_[i][k] = linear.fromSrgb(isEntry ? wide[k] : color[k]);
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

bool FloydSteinberg::startRgba(std::uint32_t width,
                               std::uint32_t alphaThreshold) {
  alphaThreshold_ = alphaThreshold;
  return startRows(width);
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

inline std::uint8_t FloydSteinberg::diffuse(const std::int32_t color[3],
                                            std::uint32_t x,
                                            std::int32_t carry[3]) {
  // Pixel x's error is at [3 * x + 3], after the left margin.
  const std::int32_t* const fromAbove = above_ + 3 + 3 * std::size_t{x};
  std::int32_t value[3];
  for (int k = 0; k < 3; ++k) value[k] = color[k] + fromAbove[k] + carry[k];
  keepInRange(value);
  const std::uint8_t entry =
      cache_.lookupSixBit(linear_.sixBit(value[0]), linear_.sixBit(value[1]),
                          linear_.sixBit(value[2]));
  std::int32_t* const under = below_ + 3 + 3 * std::size_t{x};
  for (int k = 0; k < 3; ++k) {
    const std::int32_t error =
        (value[k] - widened_[entry][k]) * kCarried / kOneShare;
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
  return entry;
}

void FloydSteinberg::endRow(std::uint32_t firstDiffused,
                            std::uint32_t lastDiffused,
                            std::uint32_t delivered) {
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

void FloydSteinberg::row(const std::uint8_t* source, std::uint32_t delivered,
                         std::uint8_t* out) {
  if (width_ == 0) return;
  if (delivered > width_) delivered = width_;
  // The error from the left travels in registers, not through memory, as
  // the next pixel needs it at once.
  const std::int32_t* const above = above_ + 3;
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
    out[x] = diffuse(scaled_[index], x, carry);
  }
  std::memset(out + delivered, 0, width_ - delivered);
  endRow(firstDiffused, lastDiffused, delivered);
}

void FloydSteinberg::rowRgba(const std::uint8_t* rgba, std::uint32_t delivered,
                             std::uint8_t* out) {
  if (width_ == 0) return;
  if (delivered > width_) delivered = width_;
  const LinearLight& linear = LinearLight::tables();
  const PaletteLab& lab = cache_.lab();
  std::int32_t carry[3] = {0, 0, 0};
  std::uint32_t firstDiffused = delivered;
  std::uint32_t lastDiffused = 0;
  for (std::uint32_t x = 0; x < delivered; ++x) {
    const std::uint8_t* pixel = rgba + 4 * std::size_t{x};
    if (pixel[3] < alphaThreshold_) {
      out[x] = 0;
      carry[0] = carry[1] = carry[2] = 0;
      continue;
    }
    // As in start: a colour whose 6-bit reduction is an entry's is that
    // entry, and carries no error of its own.
    const std::uint8_t entry = cache_.lookup(pixel[0], pixel[1], pixel[2]);
    const std::uint8_t* wide = lab.widened(entry);
    const bool isEntry = wide[0] >> 2 == pixel[0] >> 2 &&
                         wide[1] >> 2 == pixel[1] >> 2 &&
                         wide[2] >> 2 == pixel[2] >> 2;
    const std::int32_t* const fromAbove = above_ + 3 + 3 * std::size_t{x};
    if (isEntry && (carry[0] | carry[1] | carry[2] | fromAbove[0] |
                    fromAbove[1] | fromAbove[2]) == 0) {
      out[x] = entry;
      continue;
    }
    std::int32_t color[3];
    for (int k = 0; k < 3; ++k) {
      color[k] = isEntry ? widened_[entry][k] : linear.fromSrgb(pixel[k]);
    }
    if (firstDiffused == delivered) firstDiffused = x;
    lastDiffused = x;
    out[x] = diffuse(color, x, carry);
  }
  std::memset(out + delivered, 0, width_ - delivered);
  endRow(firstDiffused, lastDiffused, delivered);
}
