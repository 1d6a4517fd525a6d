// Colours as the eye compares them: CIELAB under the D65 white point, from
// sRGB by the transfer curve and primaries of IEC 61966-2-1. The distance of
// two colours is CIE76 Delta E, the straight distance in that space.
#ifndef GIF2FRM_COLOR_CIELAB_H_
#define GIF2FRM_COLOR_CIELAB_H_

#include <array>
#include <cstdint>

struct Lab {
  double l;  // lightness, 0 (black) to 100 (white)
  double a;  // green (negative) to red (positive)
  double b;  // blue (negative) to yellow (positive)
};

// An sRGB colour of 8-bit components in CIELAB.
Lab labFromSrgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// The steps of labFromSrgb, for code that bounds whole ranges of colours:
// an 8-bit sRGB value's linear light (0 to 1), linear sRGB in CIE XYZ (each
// coordinate grows with each component), and XYZ in CIELAB.
struct Xyz {
  double x;
  double y;
  double z;
};
double linearFromSrgb(std::uint8_t value);
Xyz xyzFromLinear(double red, double green, double blue);
Lab labFromXyz(const Xyz& xyz);

// A colour in linear light (each component 0 to 1, the sRGB transfer curve
// undone), as mixes of colours are, in CIELAB: labFromSrgb(r, g, b) is
// labFromLinear of the linear light of r, g and b.
Lab labFromLinear(double red, double green, double blue);

// How CIELAB changes with linear light near a colour: jacobian[i][k] is the
// derivative of L, a, b (i = 0, 1, 2) by linear red, green, blue (k). Near
// the colour, the offset in CIELAB of a mix of colours is this matrix times
// the mix's offset in linear light.
void labJacobian(double red, double green, double blue, double jacobian[3][3]);

// The linear light (0 to 1) of each 8-bit sRGB component value, as a table.
const std::array<double, 256>& linearFromSrgbTable();

// The square of CIE76 Delta E. Comparing squares picks the same nearest
// colour as comparing the distances, without a square root per candidate.
inline double squaredDeltaE(const Lab& x, const Lab& y) {
  const double dl = x.l - y.l;
  const double da = x.a - y.a;
  const double db = x.b - y.b;
  return dl * dl + da * da + db * db;
}

#endif  // GIF2FRM_COLOR_CIELAB_H_
