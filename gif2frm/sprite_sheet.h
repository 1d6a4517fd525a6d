// -g=COLSxROWS: a still image cut into COLS x ROWS equal cells, read row by
// row, each cell one frame on a canvas of the cell's size.
#ifndef GIF2FRM_CONVERTER_SPRITE_SHEET_H_
#define GIF2FRM_CONVERTER_SPRITE_SHEET_H_

#include <cstdint>
#include <deque>
#include <vector>

#include "gif2frm/source_image.h"
#include "platform/byte_buffer.h"

enum class SheetStatus {
  Ok,
  NotStill,       // the image holds more or fewer frames than one
  DoesNotDivide,  // its canvas is not a whole number of cells
  NoMemory,       // the cells' pixels cannot be had
};

// What the cut frames point to: their pixel blocks, and what says which of
// their pixels the decoder delivered.
struct SheetCells {
  std::deque<platform::ByteBuffer> blocks;
  struct Coverage {
    SourceFrame sheet;   // the image's frame, as it was
    std::uint32_t left;  // where the cell's frame starts in it
    std::uint32_t top;
  };
  std::deque<Coverage> coverage;
};

// Cuts image's one frame into columns x rows cells: image becomes the
// cells' frames, on a canvas of one cell. A cell's frame is the part of the
// image's frame that lies in the cell (all of it when the frame covers the
// canvas, as a PNG's does), its pixels copied into cells; the image's own
// block is freed.
SheetStatus cutSheet(SourceImage& image, std::uint32_t columns,
                     std::uint32_t rows, SheetCells& cells);

#endif  // GIF2FRM_CONVERTER_SPRITE_SHEET_H_
