#include "bench/quality_measures.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "color/cielab.h"

namespace bench {

namespace {

constexpr std::uint8_t kOpaque = 128;

// A picture's linear light, 3 values a pixel, and its opaque mask.
struct Linear {
  std::vector<double> rgb;
  std::vector<double> mask;
};

Linear linearOf(const RgbaImage& colors, const RgbaImage& alpha) {
  const std::array<double, 256>& table = linearFromSrgbTable();
  const std::size_t pixels = std::size_t{colors.width} * colors.height;
  Linear out{std::vector<double>(3 * pixels), std::vector<double>(pixels)};
  for (std::size_t i = 0; i < pixels; ++i) {
    const bool opaque = alpha.rgba[4 * i + 3] >= kOpaque;
    out.mask[i] = opaque ? 1.0 : 0.0;
    for (int k = 0; k < 3; ++k) {
      out.rgb[3 * i + k] = opaque ? table[colors.rgba[4 * i + k]] : 0.0;
    }
  }
  return out;
}

// A separable Gaussian of sigma 1 (radius 3) over channels values a pixel,
// in place; what falls off the picture is lost.
void blur(std::vector<double>& values, std::size_t channels,
          std::uint32_t width, std::uint32_t height) {
  constexpr int kRadius = 3;
  double weight[kRadius + 1];
  for (int d = 0; d <= kRadius; ++d) weight[d] = std::exp(-0.5 * d * d);
  std::vector<double> pass(values.size());
  for (int direction = 0; direction < 2; ++direction) {
    const std::vector<double>& in = direction == 0 ? values : pass;
    std::vector<double>& out = direction == 0 ? pass : values;
    for (std::uint32_t y = 0; y < height; ++y) {
      for (std::uint32_t x = 0; x < width; ++x) {
        for (std::size_t c = 0; c < channels; ++c) {
          double sum = 0;
          for (int d = -kRadius; d <= kRadius; ++d) {
            const long sx = static_cast<long>(x) + (direction == 0 ? d : 0);
            const long sy = static_cast<long>(y) + (direction == 1 ? d : 0);
            if (sx < 0 || sy < 0 || sx >= static_cast<long>(width) ||
                sy >= static_cast<long>(height)) {
              continue;
            }
            sum +=
                weight[std::abs(d)] *
                in[(static_cast<std::size_t>(sy) * width + sx) * channels + c];
          }
          out[(std::size_t{y} * width + x) * channels + c] = sum;
        }
      }
    }
  }
}

Lab labAt(const std::vector<double>& rgb, std::size_t i, double scale) {
  return labFromLinear(rgb[3 * i] * scale, rgb[3 * i + 1] * scale,
                       rgb[3 * i + 2] * scale);
}

}  // namespace

Quality measureQuality(const TestPicture& source,
                       const std::vector<RgbaImage>& output) {
  Quality q;
  std::vector<double> deltas;
  double blurredSum = 0;
  double biasSum = 0;
  std::size_t blurredCount = 0;
  for (std::size_t f = 0; f < source.frames.size(); ++f) {
    const RgbaImage& src = source.frames[f];
    const RgbaImage& out = output[f];
    const std::size_t pixels = std::size_t{src.width} * src.height;
    for (std::size_t i = 0; i < pixels; ++i) {
      const std::uint8_t* s = &src.rgba[4 * i];
      const std::uint8_t* o = &out.rgba[4 * i];
      if (s[3] < kOpaque) continue;
      deltas.push_back(std::sqrt(squaredDeltaE(labFromSrgb(s[0], s[1], s[2]),
                                               labFromSrgb(o[0], o[1], o[2]))));
    }
    // Both blurred over the opaque pixels only (the blurred mask divides
    // them out), so that transparency does not darken the rim.
    Linear a = linearOf(src, src);
    Linear b = linearOf(out, src);
    blur(a.rgb, 3, src.width, src.height);
    blur(b.rgb, 3, src.width, src.height);
    blur(a.mask, 1, src.width, src.height);
    for (std::size_t i = 0; i < pixels; ++i) {
      if (src.rgba[4 * i + 3] < kOpaque) continue;
      const double scale = 1.0 / a.mask[i];
      const Lab x = labAt(a.rgb, i, scale);
      const Lab y = labAt(b.rgb, i, scale);
      blurredSum += std::sqrt(squaredDeltaE(x, y));
      biasSum += y.l - x.l;
      ++blurredCount;
    }
  }
  if (!deltas.empty()) {
    double sum = 0;
    for (double d : deltas) sum += d;
    q.meanDeltaE = sum / static_cast<double>(deltas.size());
    const std::size_t at = deltas.size() * 95 / 100;
    std::nth_element(deltas.begin(), deltas.begin() + static_cast<long>(at),
                     deltas.end());
    q.p95DeltaE = deltas[at];
  }
  if (blurredCount != 0) {
    q.blurredDeltaE = blurredSum / static_cast<double>(blurredCount);
    q.lightnessBias = biasSum / static_cast<double>(blurredCount);
  }
  if (source.frames.size() > 1) {
    std::size_t still = 0;
    std::size_t changed = 0;
    for (std::size_t f = 1; f < source.frames.size(); ++f) {
      const RgbaImage& s0 = source.frames[f - 1];
      const RgbaImage& s1 = source.frames[f];
      const std::size_t pixels = std::size_t{s1.width} * s1.height;
      for (std::size_t i = 0; i < pixels; ++i) {
        if (std::memcmp(&s0.rgba[4 * i], &s1.rgba[4 * i], 4) != 0) continue;
        ++still;
        if (std::memcmp(&output[f - 1].rgba[4 * i], &output[f].rgba[4 * i],
                        3) != 0) {
          ++changed;
        }
      }
    }
    q.flicker = still == 0 ? 0
                           : 100.0 * static_cast<double>(changed) /
                                 static_cast<double>(still);
  }
  return q;
}

}  // namespace bench
