#include "gif2frm/sprite_sheet.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "frm/frm_records.h"

namespace {

std::uint32_t bytesPerPixel(const SourceFrame& frame) {
  return frame.form == PixelForm::Rgba ? 4 : 1;
}

// The cell's row delivered: what the sheet's row delivered past the cell's
// left edge.
std::uint32_t cellRowCoverage(const void* context, std::uint32_t row) {
  const auto& c = *static_cast<const SheetCells::Coverage*>(context);
  const std::uint32_t delivered = c.sheet.deliveredInRow(c.top + row);
  return delivered > c.left ? delivered - c.left : 0;
}

// The part of the sheet's frame in the cell at (cellLeft, cellTop), as a
// frame on the cell's canvas with its own copy of the pixels.
bool cutCell(const SourceFrame& sheet, std::uint32_t cellLeft,
             std::uint32_t cellTop, std::uint32_t cellWidth,
             std::uint32_t cellHeight, SheetCells& cells, SourceFrame& cell) {
  const std::uint32_t left = std::max(sheet.left, cellLeft);
  const std::uint32_t top = std::max(sheet.top, cellTop);
  const std::uint32_t right =
      std::min(sheet.left + sheet.width, cellLeft + cellWidth);
  const std::uint32_t bottom =
      std::min(sheet.top + sheet.height, cellTop + cellHeight);
  cell = sheet;
  cell.left = left - cellLeft;
  cell.top = top - cellTop;
  cell.width = right > left ? right - left : 0;
  cell.height = bottom > top ? bottom - top : 0;
  if (cell.width == 0 || cell.height == 0) {
    cell.left = std::min(cell.left, cellWidth);
    cell.top = std::min(cell.top, cellHeight);
    cell.width = cell.height = 0;
  }
  const std::uint32_t depth = bytesPerPixel(sheet);
  cells.blocks.emplace_back();
  platform::ByteBuffer& block = cells.blocks.back();
  const std::size_t rowBytes = std::size_t{cell.width} * depth;
  if (!block.allocate(rowBytes * cell.height, sizeof(FrmFrameHeader))) {
    return cell.pixelCount() == 0;
  }
  const std::uint8_t* from =
      sheet.pixels != nullptr ? sheet.pixels->data() : nullptr;
  const std::size_t available = from != nullptr ? sheet.pixels->size() : 0;
  const std::uint32_t dx = left - sheet.left;
  const std::uint32_t dy = top - sheet.top;
  for (std::uint32_t y = 0; y < cell.height; ++y) {
    const std::size_t at = (std::size_t{dy + y} * sheet.width + dx) * depth;
    std::uint8_t* to = block.data() + rowBytes * y;
    if (at + rowBytes <= available) {
      std::memcpy(to, from + at, rowBytes);
    } else {
      std::memset(to, 0, rowBytes);  // never read: not delivered
    }
  }
  cell.pixels = &block;
  if (!sheet.whole()) {
    cells.coverage.push_back({sheet, dx, dy});
    cell.coverage = {cellRowCoverage, &cells.coverage.back()};
  }
  return true;
}

}  // namespace

SheetStatus cutSheet(SourceImage& image, std::uint32_t columns,
                     std::uint32_t rows, SheetCells& cells) {
  if (image.frames.size() != 1) return SheetStatus::NotStill;
  if (columns == 0 || rows == 0 || image.canvasWidth % columns != 0 ||
      image.canvasHeight % rows != 0) {
    return SheetStatus::DoesNotDivide;
  }
  const std::uint32_t cellWidth = image.canvasWidth / columns;
  const std::uint32_t cellHeight = image.canvasHeight / rows;
  const SourceFrame sheet = image.frames.front();
  std::vector<SourceFrame> frames;
  frames.reserve(std::size_t{columns} * rows);
  for (std::uint32_t row = 0; row < rows; ++row) {
    for (std::uint32_t column = 0; column < columns; ++column) {
      SourceFrame cell;
      if (!cutCell(sheet, column * cellWidth, row * cellHeight, cellWidth,
                   cellHeight, cells, cell)) {
        return SheetStatus::NoMemory;
      }
      frames.push_back(cell);
    }
  }
  image.frames = std::move(frames);
  image.canvasWidth = cellWidth;
  image.canvasHeight = cellHeight;
  if (sheet.pixels != nullptr) sheet.pixels->reset();
  return SheetStatus::Ok;
}
