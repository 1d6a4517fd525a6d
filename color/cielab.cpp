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

double linearFromSrgb(std::uint8_t value) { return linearTable()[value]; }

Xyz xyzFromLinear(double red, double green, double blue) {
  return Xyz{0.4124 * red + 0.3576 * green + 0.1805 * blue,
             0.2126 * red + 0.7152 * green + 0.0722 * blue,
             0.0193 * red + 0.1192 * green + 0.9505 * blue};
}

Lab labFromXyz(const Xyz& xyz) {
  const double fx = labCurve(xyz.x / kWhiteX);
  const double fy = labCurve(xyz.y / kWhiteY);
  const double fz = labCurve(xyz.z / kWhiteZ);
  return Lab{116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

Lab labFromSrgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  const std::array<double, 256>& linear = linearTable();
  return labFromXyz(xyzFromLinear(linear[red], linear[green], linear[blue]));
}
