// CIELAB of 8-bit sRGB colours in single precision, from two small tables,
// for matching many colours: labFromSrgb's double precision and cube roots
// cost more than the rest of a match. Every result lies within
// kApproximateLabError (the straight distance, in Delta E) of labFromSrgb's.
//
// How. Each component's linear light, already weighted by its column of the
// sRGB matrix and divided by the white point's coordinate, is read from a
// table, so that each of the ratios tx = X / Xn, ty = Y / Yn, tz = Z / Zn is
// two additions. CIELAB's curve f of a ratio t (a cube root above the knee
// t = (6/29)^3, a straight line with the same slope there below it) is read
// as a straight piece over s = t + 2^-8: 128 pieces of equal width in each
// octave of s from 2^-8 up, the piece's index the exponent and top 7
// mantissa bits of the float s, so that a piece is at most s / 128 wide.
// The shift keeps s at 2^-8 or more for every t from 0, with no test.
//
// Why the bound holds (u = 2^-24, the relative rounding of a float):
//  - A straight piece through f at both ends of [s0, s0 + s0 / 128] is off
//    by at most (s0 / 128)^2 / 8 * max |f''| on it, where |f''(t)| =
//    2/9 t^(-5/3) above the knee and 0 below (f' is continuous at the knee,
//    so the bound holds across it too). Over all pieces that reaching t <= 1
//    this is largest at the top, below 1.72e-6.
//  - t is a sum of three non-negative table values, each rounded once, plus
//    the shift: at most 4u s off, which f turns into at most 0.43 * 4u
//    (s f'(t) <= 0.43 for s = t + 2^-8). The pieces' two coefficients in
//    float and their evaluation add at most 3.1u. So each of fx, fy, fz is
//    within 1.72e-6 + 5u < 2.1e-6 of f.
//  - L = 116 fy - 16, a = 500 (fx - fy) and b = 200 (fy - fz) carry that
//    into at most 116, 1000 and 400 times it, 1083 times it as a distance,
//    and round three more times (under 2.6e-5 together): 2.3e-3 in all.
//    labFromSrgb's own double rounding is below 1e-12.
// An exhaustive run over all 2^24 colours measured 7.7e-4 at most.
#ifndef GIF2FRM_COLOR_APPROXIMATE_LAB_H_
#define GIF2FRM_COLOR_APPROXIMATE_LAB_H_

#include <cstdint>
#include <cstring>

#include "color/four_lanes.h"

// The straight distance from an approximate colour to labFromSrgb's, at most.
constexpr double kApproximateLabError = 0.0025;

struct LabF {
  float l;
  float a;
  float b;
};

class ApproximateLab {
 public:
  // The tables, made on first use, once a process.
  static const ApproximateLab& tables();

  // L, a, b and 0.
  Float4 lanes(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
    const Float4 s =
        ratios_[0][red] + ratios_[1][green] + ratios_[2][blue] + kShift;
    // Each of tx, ty, tz through its piece of the curve (the fourth lane,
    // s = 2^-8, through none).
    const Bits4 pieces = (bitsOf(s) >> 16) - kFirstPiece;
    const Piece& x = pieces_[pieces[0]];
    const Piece& y = pieces_[pieces[1]];
    const Piece& z = pieces_[pieces[2]];
    const Float4 offsets = {x.offset, y.offset, z.offset, 0.0f};
    const Float4 slopes = {x.slope, y.slope, z.slope, 0.0f};
    const Float4 f = offsets + slopes * s;
    // (fy - 0, fx - fy, fy - fz) * (116, 500, 200) - (16, 0, 0).
    const Float4 scale = {116.0f, 500.0f, 200.0f, 0.0f};
    const Float4 shift = {-16.0f, 0.0f, 0.0f, 0.0f};
    return (__builtin_shufflevector(f, f, 1, 0, 1, 3) -
            __builtin_shufflevector(f, f, 3, 1, 2, 3)) *
               scale +
           shift;
  }

  LabF operator()(std::uint8_t red, std::uint8_t green,
                  std::uint8_t blue) const {
    const Float4 lab = lanes(red, green, blue);
    return LabF{lab[0], lab[1], lab[2]};
  }

 private:
  static constexpr float kShift = 0x1p-8f;
  static constexpr int kPiecesPerOctave = 128;
  // Octaves of s from 2^-8 to 1, and the one piece of [1, 1 + 1/128) that s
  // reaches at t = 1.
  static constexpr int kPieces = 8 * kPiecesPerOctave + 1;
  // The float bits of 2^-8, shifted as in lanes(): piece 0.
  static constexpr std::uint32_t kFirstPiece = (127 - 8) << 7;

  struct Piece {
    float offset;
    float slope;
  };

  ApproximateLab();

  // [component][8-bit value]: the value's share of tx, ty, tz, and 0.
  Float4 ratios_[3][256];
  Piece pieces_[kPieces];
};

#endif  // GIF2FRM_COLOR_APPROXIMATE_LAB_H_
