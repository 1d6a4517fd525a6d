// Palette components are 6-bit (0 to 63); GIF colours and screens are 8-bit.
#ifndef GIF2FRM_COLOR_SIX_BIT_H_
#define GIF2FRM_COLOR_SIX_BIT_H_

#include <cstdint>

// A 6-bit component c as an 8-bit one: (c << 2) | (c >> 4), which spreads
// 0 to 63 evenly over 0 to 255 (63 becomes 255, not 252). A value above 63,
// no 6-bit component at all (the palette's unused entries hold 255), is
// shown as the brightest.
constexpr std::uint8_t expandSixBit(std::uint8_t component) {
  return component > 63
             ? std::uint8_t{255}
             : static_cast<std::uint8_t>((component << 2) | (component >> 4));
}

static_assert(expandSixBit(0) == 0 && expandSixBit(1) == 4 &&
                  expandSixBit(32) == 130 && expandSixBit(63) == 255 &&
                  expandSixBit(255) == 255,
              "the even spread of 6 bits over 8");

#endif  // GIF2FRM_COLOR_SIX_BIT_H_
