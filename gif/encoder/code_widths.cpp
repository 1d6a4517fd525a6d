#include "gif/encoder/code_widths.h"

#include <stdexcept>

namespace gifenc {

std::vector<Code> withWidths(int minCodeSize,
                             const std::vector<std::uint16_t>& values) {
  if (minCodeSize < 2 || minCodeSize > 11) {
    throw std::invalid_argument("minimum code size must be 2 to 11");
  }
  const int clearCode = 1 << minCodeSize;
  const int endCode = clearCode + 1;
  const int firstSlot = clearCode + 2;
  constexpr int kSlots = 4096;
  constexpr int kMaxWidth = 12;

  int width = minCodeSize + 1;
  int nextSlot = firstSlot;
  // The first code after a clear code only starts a string, and so does the
  // first code of a stream without a leading clear code.
  bool afterClear = true;

  std::vector<Code> out;
  out.reserve(values.size());
  for (std::uint16_t value : values) {
    out.push_back(Code{value, width});
    if (value == clearCode) {
      width = minCodeSize + 1;
      nextSlot = firstSlot;
      afterClear = true;
    } else if (value == endCode) {
      // The decoder stops here; whatever follows is read by nobody.
    } else if (afterClear) {
      afterClear = false;
    } else if (nextSlot < kSlots) {
      ++nextSlot;
      if (nextSlot == (1 << width) && width < kMaxWidth) ++width;
    }
  }
  return out;
}

}  // namespace gifenc
