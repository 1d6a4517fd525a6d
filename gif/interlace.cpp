#include "gif/interlace.h"

namespace {

struct Pass {
  std::uint32_t firstRow;
  std::uint32_t step;
};
constexpr Pass kPasses[4] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};

std::uint32_t rowsInPass(const Pass& pass, std::uint32_t height) {
  if (height <= pass.firstRow) return 0;
  return (height - pass.firstRow + pass.step - 1) / pass.step;
}

}  // namespace

std::uint32_t interlacedDisplayRow(std::uint32_t streamRow,
                                   std::uint32_t height) {
  for (const Pass& pass : kPasses) {
    std::uint32_t rows = rowsInPass(pass, height);
    if (streamRow < rows) return pass.firstRow + streamRow * pass.step;
    streamRow -= rows;
  }
  return streamRow;  // not reached for rows below height
}

std::uint32_t interlacedStreamRow(std::uint32_t displayRow,
                                  std::uint32_t height) {
  std::uint32_t before = 0;
  for (const Pass& pass : kPasses) {
    if (displayRow >= pass.firstRow &&
        (displayRow - pass.firstRow) % pass.step == 0) {
      return before + (displayRow - pass.firstRow) / pass.step;
    }
    before += rowsInPass(pass, height);
  }
  return displayRow;  // not reached: every row belongs to a pass
}
