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

// Its slope.
double labCurveSlope(double t) {
  constexpr double kDelta = 6.0 / 29.0;
  if (t > kDelta * kDelta * kDelta) {
    const double root = std::cbrt(t);
    return 1.0 / (3.0 * root * root);
  }
  return 1.0 / (3.0 * kDelta * kDelta);
}

constexpr double kMatrix[3][3] = {{0.4124, 0.3576, 0.1805},
                                  {0.2126, 0.7152, 0.0722},
                                  {0.0193, 0.1192, 0.9505}};

}  // namespace

double linearFromSrgb(std::uint8_t value) { return linearTable()[value]; }

const std::array<double, 256>& linearFromSrgbTable() { return linearTable(); }

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

Lab labFromLinear(double red, double green, double blue) {
  return labFromXyz(xyzFromLinear(red, green, blue));
}

void labJacobian(double red, double green, double blue, double jacobian[3][3]) {
  const double white[3] = {kWhiteX, kWhiteY, kWhiteZ};
  double slope[3];  // of fx, fy, fz against X, Y, Z
  for (int row = 0; row < 3; ++row) {
    const double v = kMatrix[row][0] * red + kMatrix[row][1] * green +
                     kMatrix[row][2] * blue;
    slope[row] = labCurveSlope(v / white[row]) / white[row];
  }
  for (int k = 0; k < 3; ++k) {
    const double fx = slope[0] * kMatrix[0][k];
    const double fy = slope[1] * kMatrix[1][k];
    const double fz = slope[2] * kMatrix[2][k];
    jacobian[0][k] = 116.0 * fy;
    jacobian[1][k] = 500.0 * (fx - fy);
    jacobian[2][k] = 200.0 * (fy - fz);
  }
}
