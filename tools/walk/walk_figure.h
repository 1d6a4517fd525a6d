// The little walking figure of the example animation, drawn in colour-table
// indices so that the generator can choose the colours.
#ifndef GIF2FRM_TOOLS_WALK_WALK_FIGURE_H_
#define GIF2FRM_TOOLS_WALK_WALK_FIGURE_H_

#include <cstdint>
#include <vector>

namespace walk {

// Colour-table slots the figure is drawn with; kClear is the transparent
// background.
enum Ink : std::uint8_t {
  kClear = 0,
  kOutline,
  kSkin,
  kSkinShade,
  kHair,
  kShirt,
  kShirtShade,
  kTrousers,
  kTrousersShade,
  kShoes,
  kInkCount
};

constexpr int kFrameWidth = 32;
constexpr int kFrameHeight = 48;
constexpr int kFramesPerCycle = 8;

// One frame of the cycle, row-major kFrameWidth x kFrameHeight. The figure
// faces right; its near-side arm swings against its near-side leg.
std::vector<std::uint8_t> drawWalkFrame(int frame);

}  // namespace walk

#endif  // GIF2FRM_TOOLS_WALK_WALK_FIGURE_H_
