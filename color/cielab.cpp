#include "color/cielab.h"

#include <array>
#include <cmath>

namespace {

// The linear light of each 8-bit sRGB value, 0 to 1.
std::array<double, 256> makeLinearTable() {
  std::array<double, 256> table{};
  for (int v = 0; v < 256; ++v) {
    const double c = v / 255.0;
    table[static_cast<std::size_t>(v)] =
        c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  }
  return table;
}

const std::array<double, 256>& linearTable() {
  static const std::array<double, 256> table = makeLinearTable();
  return table;
}

// The reference white is what the matrix below makes of linear (1, 1, 1),
// so that sRGB white is exactly L 100, a 0, b 0.
constexpr double kWhiteX = 0.4124 + 0.3576 + 0.1805;
constexpr double kWhiteY = 0.2126 + 0.7152 + 0.0722;
constexpr double kWhiteZ = 0.0193 + 0.1192 + 0.9505;

// CIELAB's compression of a ratio to white: a cube root, and a straight line
// near black where the root would be too steep.
double labCurve(double t) {
  constexpr double kDelta = 6.0 / 29.0;
  if (t > kDelta * kDelta * kDelta) return std::cbrt(t);
  return t / (3.0 * kDelta * kDelta) + 4.0 / 29.0;
}

}  // namespace

Lab labFromSrgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  const std::array<double, 256>& linear = linearTable();
  const double r = linear[red];
  const double g = linear[green];
  const double b = linear[blue];
  const double x = 0.4124 * r + 0.3576 * g + 0.1805 * b;
  const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  const double z = 0.0193 * r + 0.1192 * g + 0.9505 * b;
  const double fx = labCurve(x / kWhiteX);
  const double fy = labCurve(y / kWhiteY);
  const double fz = labCurve(z / kWhiteZ);
  return Lab{116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}
