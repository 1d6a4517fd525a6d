// A whole GIF in memory: the logical screen, the global colour table and one
// GifFrame per image, in stream order.
#ifndef GIF2FRM_GIF_GIF_FILE_H_
#define GIF2FRM_GIF_GIF_FILE_H_

#include <cstdint>
#include <vector>

#include "gif/gif_input.h"
#include "gif/gif_records.h"
#include "gif/lzw_status.h"
#include "gif/pixel_translation.h"
#include "platform/byte_buffer.h"

class LzwDecoder;

// Outcome of GifFile::load. The driver reports every non-zero status as an
// unreadable or corrupt file, except NoMemory, which has its own message.
enum class GifStatus : int {
  Ok = 0,                // the trailer was reached
  ReadFailed = 1,        // a read failed or came up short (end of file)
  NotAGif = 2,           // no "GIF87a" or "GIF89a" header
  UnknownBlock = 3,      // a block began with a byte other than '!', ',', ';'
  UnknownExtension = 4,  // an extension label other than 01, F9, FE, FF
  BadImageData = 5,      // the LZW decoder failed on an image's data
  NoMemory = 6,          // a buffer could not be allocated
};

// One image of the stream.
struct GifFrame {
  GifFrame() = default;
  GifFrame(GifFrame&&) noexcept = default;
  GifFrame& operator=(GifFrame&&) noexcept = default;
  GifFrame(const GifFrame&) = delete;
  GifFrame& operator=(const GifFrame&) = delete;

  // The graphic control extension read since the previous image; its bytes
  // mean something only when hasControl is 1.
  GraphicControlExtension control{};
  std::int32_t hasControl = 0;
  ImageDescriptor descriptor{};
  // LocalColorTableSize x 3 bytes, or null without a local colour table.
  platform::ByteBuffer localColorTable;
  // width x height colour indices, row after row in display order (the rows
  // of an interlaced image are put in place as they arrive). The buffer has
  // kPixelHeadroom bytes in front, so that a converter can put a record
  // header there and take the pixels over without copying them.
  platform::ByteBuffer pixels;
  static constexpr std::size_t kPixelHeadroom = 12;
  // How many pixels the image data delivered, counted in stream order. The
  // data may end early: pixels it never reached hold no defined value and
  // must be read through deliveredInRow().
  std::uint32_t pixelsDelivered = 0;
  // Whether pixels holds the indices as a PixelTranslation's table made
  // them, rather than the GIF's own.
  bool pixelsTranslated = false;

  std::uint32_t width() const { return descriptor.width; }
  std::uint32_t height() const { return descriptor.height; }
  // width x height, at most 65535 x 65535.
  std::uint32_t pixelCount() const { return width() * height(); }
  bool interlaced() const {
    return descriptor.field(ImageDescriptor::InterlaceFlag) != 0;
  }

  // How many pixels, from its left end, of the row shown at displayRow the
  // image data delivered: width() for a complete row, 0 for a row never
  // reached, anything between for the row where the data ended.
  std::uint32_t deliveredInRow(std::uint32_t displayRow) const;

  // Frees both buffers and forgets the control extension; the records keep
  // their bytes.
  void release();
};

class GifFile {
 public:
  GifFile() = default;
  GifFile(const GifFile&) = delete;
  GifFile& operator=(const GifFile&) = delete;

  // Reads a whole GIF stream, positioned at its first byte. Called once, on
  // a new GifFile. After a failure the frames completed before it stay.
  GifStatus load(GifInput& input);
  // The same, with a decoder of the caller's (tests and fuzzers start each
  // input from a fresh dictionary this way).
  GifStatus load(GifInput& input, LzwDecoder& decoder);
  // The same, storing each image's pixels through the table translation
  // gives for it (see PixelTranslation); null stores the GIF indices.
  GifStatus load(GifInput& input, LzwDecoder& decoder,
                 PixelTranslation* translation);

  // Skips a chain of data sub-blocks up to and including its terminator.
  // 0 on success, 1 when a size byte cannot be read.
  static int skipSubBlocks(GifInput& input);

  LogicalScreenDescriptor screen{};
  // GlobalColorTableSize x 3 bytes, or null without a global colour table.
  platform::ByteBuffer globalColorTable;
  std::vector<GifFrame> frames;

 private:
  GifStatus readScreen(GifInput& input);
  // image is the frame being read: it comes with its control extension, if
  // any, and leaves with nothing.
  GifStatus readImage(GifInput& input, LzwDecoder& decoder,
                      PixelTranslation* translation, GifFrame& image);
  GifStatus decodeImage(GifInput& input, LzwDecoder& decoder,
                        PixelTranslation* translation, GifFrame& image);
};

#endif  // GIF2FRM_GIF_GIF_FILE_H_
