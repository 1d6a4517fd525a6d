// Decoded frames as the sprite assembly takes them, whatever file they came
// from: the canvas they share and, for each frame, its rectangle on the
// canvas, its delay and its pixels. A reader's adapter describes its decoded
// image this way; the pixel blocks stay the reader's until the assembly
// takes them over.
#ifndef GIF2FRM_CONVERTER_SOURCE_IMAGE_H_
#define GIF2FRM_CONVERTER_SOURCE_IMAGE_H_

#include <cstdint>
#include <vector>

#include "platform/byte_buffer.h"

// What a frame's pixel bytes are.
enum class PixelForm : std::uint8_t {
  Entries,  // palette entries already, transparent pixels 0: the reader
            // matched them as it decoded
  Indices,  // indices into a colour table
  Rgba,     // red, green, blue and alpha, 8 bits each, not premultiplied
};

// A colour table that indices refer to.
struct ColorTable {
  bool present = false;  // false: the pixels have no table to refer to
  // count entries of red, green and blue; null when the table is present
  // but could not be had whole, which no match survives.
  const std::uint8_t* colors = nullptr;
  std::uint32_t count = 0;
};

// Which pixels of a frame's rows the decoder delivered, from the left; the
// rest were never written, are transparent and are never read. Without a
// function every row is whole.
struct RowCoverage {
  std::uint32_t (*deliveredInRow)(const void* context,
                                  std::uint32_t row) = nullptr;
  const void* context = nullptr;
};

struct SourceFrame {
  std::uint32_t left = 0;  // the rectangle on the canvas
  std::uint32_t top = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint16_t delay = 0;  // hundredths of a second; 0 when none is given
  // The part of the image the frame belongs to: the file it came from, in
  // an image made of several files.
  std::uint32_t part = 0;
  PixelForm form = PixelForm::Indices;
  // width x height pixels of the form (4 bytes each for Rgba), row after
  // row. A block with FrmFrameHeader's size of headroom in front can become
  // the FRM frame itself.
  platform::ByteBuffer* pixels = nullptr;
  // Indices: the frame's own table, which it uses instead of the image's
  // shared one when present; and the index that stands for transparent
  // pixels, when transparent is set.
  ColorTable ownTable;
  bool transparent = false;
  std::uint8_t transparentIndex = 0;
  RowCoverage coverage;

  std::uint64_t pixelCount() const { return std::uint64_t{width} * height; }
  // How many pixels of the row, from its left end, hold decoded values.
  std::uint32_t deliveredInRow(std::uint32_t row) const {
    if (coverage.deliveredInRow == nullptr) return width;
    const std::uint32_t delivered =
        coverage.deliveredInRow(coverage.context, row);
    return delivered < width ? delivered : width;
  }
  bool whole() const { return coverage.deliveredInRow == nullptr; }
};

struct SourceImage {
  std::uint32_t canvasWidth = 0;
  std::uint32_t canvasHeight = 0;
  // For each part, the table of its Indices frames that have none of their
  // own; a part's table is matched before its first frame, whether a frame
  // uses it or not. A part's frames come one after another.
  std::vector<ColorTable> sharedTables;
  std::vector<SourceFrame> frames;
};

#endif  // GIF2FRM_CONVERTER_SOURCE_IMAGE_H_
