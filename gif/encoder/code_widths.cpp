#include "gif/encoder/code_widths.h"

#include <stdexcept>

namespace gifenc {
namespace {

constexpr int kSlots = 4096;
constexpr int kMaxWidth = 12;

}  // namespace

CodeWidthTracker::CodeWidthTracker(int minCodeSize)
    : minCodeSize_(minCodeSize),
      width_(minCodeSize + 1),
      nextSlot_((1 << minCodeSize) + 2) {
  if (minCodeSize < 2 || minCodeSize > 11) {
    throw std::invalid_argument("minimum code size must be 2 to 11");
  }
}

void CodeWidthTracker::advance(std::uint16_t value) {
  const int clearCode = 1 << minCodeSize_;
  const int endCode = clearCode + 1;
  if (value == clearCode) {
    width_ = minCodeSize_ + 1;
    nextSlot_ = clearCode + 2;
    afterClear_ = true;
  } else if (value == endCode) {
    // The decoder stops here; whatever follows is read by nobody.
  } else if (afterClear_) {
    afterClear_ = false;
  } else if (nextSlot_ < kSlots) {
    ++nextSlot_;
    if (nextSlot_ == (1 << width_) && width_ < kMaxWidth) ++width_;
  }
}

std::vector<Code> withWidths(int minCodeSize,
                             const std::vector<std::uint16_t>& values) {
  CodeWidthTracker widths(minCodeSize);
  std::vector<Code> out;
  out.reserve(values.size());
  for (std::uint16_t value : values) {
    out.push_back(Code{value, widths.width()});
    widths.advance(value);
  }
  return out;
}

}  // namespace gifenc
