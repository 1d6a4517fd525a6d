#include "color/approximate_lab.h"

#include <cmath>

#include "color/cielab.h"

namespace {

// CIELAB's curve, as labFromXyz applies it.
double labCurve(double t) {
  constexpr double kDelta = 6.0 / 29.0;
  if (t > kDelta * kDelta * kDelta) return std::cbrt(t);
  return t / (3.0 * kDelta * kDelta) + 4.0 / 29.0;
}

}  // namespace

const ApproximateLab& ApproximateLab::tables() {
  static const ApproximateLab instance;
  return instance;
}

ApproximateLab::ApproximateLab() : ratios_(), pieces_() {
  const Xyz white = xyzFromLinear(1.0, 1.0, 1.0);
  for (int v = 0; v < 256; ++v) {
    const double linear = linearFromSrgb(static_cast<std::uint8_t>(v));
    const Xyz shares[3] = {xyzFromLinear(linear, 0.0, 0.0),
                           xyzFromLinear(0.0, linear, 0.0),
                           xyzFromLinear(0.0, 0.0, linear)};
    for (int c = 0; c < 3; ++c) {
      ratios_[c][v] = Float4{static_cast<float>(shares[c].x / white.x),
                             static_cast<float>(shares[c].y / white.y),
                             static_cast<float>(shares[c].z / white.z), 0.0f};
    }
  }
  const double shift = kShift;
  for (int k = 0; k < kPieces; ++k) {
    const int octave = k / kPiecesPerOctave - 8;
    const double step = 1.0 / kPiecesPerOctave;
    const double first =
        std::ldexp(1.0 + step * (k % kPiecesPerOctave), octave);
    const double last =
        std::ldexp(1.0 + step * (k % kPiecesPerOctave + 1), octave);
    const double low = labCurve(first - shift);
    const double high = labCurve(last - shift);
    const double slope = (high - low) / (last - first);
    pieces_[k] = Piece{static_cast<float>(low - slope * first),
                       static_cast<float>(slope)};
  }
}
