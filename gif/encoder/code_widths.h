// The bit widths with which a GIF decoder reads a sequence of LZW codes, so
// that code streams can be written as plain code values.
#ifndef GIF2FRM_GIF_ENCODER_CODE_WIDTHS_H_
#define GIF2FRM_GIF_ENCODER_CODE_WIDTHS_H_

#include <cstdint>
#include <vector>

#include "gif/encoder/code_stream.h"

namespace gifenc {

// Follows a code sequence value by value as a decoder with minimum code size
// minCodeSize (2 to 11) reads it:
//  - codes start minCodeSize + 1 bits wide and return to that after a clear
//    code (the clear code itself is read at the width in force);
//  - every code other than clear and end adds a dictionary entry while the
//    next slot is below 4096, except the first code after a clear code and
//    the first code of a stream that does not begin with one;
//  - right after the entry in slot 2^width - 1 is added, codes become one bit
//    wider, up to 12.
// Values after the end code keep the width in force.
class CodeWidthTracker {
 public:
  explicit CodeWidthTracker(int minCodeSize);

  // The width the next value is read with.
  int width() const { return width_; }
  // Moves past value, read at width().
  void advance(std::uint16_t value);

 private:
  int minCodeSize_;
  int width_;
  int nextSlot_;
  // The first code after a clear code only starts a string, and so does the
  // first code of a stream without a leading clear code.
  bool afterClear_ = true;
};

// Pairs every value with the width the decoder reads it with (see
// CodeWidthTracker).
std::vector<Code> withWidths(int minCodeSize,
                             const std::vector<std::uint16_t>& values);

}  // namespace gifenc

#endif  // GIF2FRM_GIF_ENCODER_CODE_WIDTHS_H_
