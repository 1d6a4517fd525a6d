#ifndef GIF2FRM_COLOR_COLOR_MAP_H_
#define GIF2FRM_COLOR_COLOR_MAP_H_

#include <array>
#include <cstdint>

// Entry i is the palette index that GIF colour index i becomes.
using ColorMap = std::array<std::uint8_t, 256>;

#endif  // GIF2FRM_COLOR_COLOR_MAP_H_
