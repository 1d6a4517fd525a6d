#include "gif/gif_file.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "gif/interlace.h"
#include "gif/lzw_decoder.h"

namespace {

constexpr int kExtensionIntroducer = 0x21;  // '!'
constexpr int kImageSeparator = 0x2C;       // ','
constexpr int kTrailer = 0x3B;              // ';'

constexpr int kPlainTextLabel = 0x01;
constexpr int kGraphicControlLabel = 0xF9;
constexpr int kCommentLabel = 0xFE;
constexpr int kApplicationLabel = 0xFF;

// Bytes between an extension's label and its first data sub-block that the
// reader steps over: the block size byte and the fixed-size header.
constexpr int kPlainTextHeader = 13;
constexpr int kApplicationHeader = 12;

bool isGifHeader(const std::uint8_t header[6]) {
  return std::memcmp(header, "GIF", 3) == 0 &&
         (std::memcmp(header + 3, "87a", 3) == 0 ||
          std::memcmp(header + 3, "89a", 3) == 0);
}

// The rest of an extension block, after its introducer: a graphic control
// extension is kept for the next image, any other known one skipped.
GifStatus readExtension(GifInput& input, GifFrame& image) {
  const int label = input.readByte();
  if (label < 0) return GifStatus::ReadFailed;
  switch (label) {
    case kGraphicControlLabel:
      // The record starts at the introducer: read it whole. A second
      // extension before the next image replaces the first.
      input.move(-2);
      if (!input.read(&image.control, sizeof image.control)) {
        return GifStatus::ReadFailed;
      }
      image.hasControl = 1;
      return GifStatus::Ok;
    case kPlainTextLabel:
      input.move(kPlainTextHeader);
      break;
    case kApplicationLabel:
      input.move(kApplicationHeader);
      break;
    case kCommentLabel:
      break;
    default:
      return GifStatus::UnknownExtension;
  }
  return GifFile::skipSubBlocks(input) != 0 ? GifStatus::ReadFailed
                                            : GifStatus::Ok;
}

}  // namespace

std::uint32_t GifFrame::deliveredInRow(std::uint32_t displayRow) const {
  std::uint32_t streamRow =
      interlaced() ? interlacedStreamRow(displayRow, height()) : displayRow;
  std::uint64_t rowStart = std::uint64_t{streamRow} * width();
  if (pixelsDelivered <= rowStart) return 0;
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>(pixelsDelivered - rowStart, width()));
}

void GifFrame::release() {
  localColorTable.reset();
  pixels.reset();
  hasControl = 0;
  pixelsDelivered = 0;
  pixelsTranslated = false;
}

GifStatus GifFile::load(GifInput& input) {
  return load(input, LzwDecoder::instance());
}

GifStatus GifFile::load(GifInput& input, LzwDecoder& decoder) {
  return load(input, decoder, nullptr);
}

GifStatus GifFile::load(GifInput& input, LzwDecoder& decoder,
                        PixelTranslation* translation) {
  const GifStatus screenStatus = readScreen(input);
  if (screenStatus != GifStatus::Ok) return screenStatus;
  // The frame being read: between images it holds at most a pending graphic
  // control extension.
  GifFrame image;
  for (;;) {
    const int introducer = input.readByte();
    if (introducer < 0) return GifStatus::ReadFailed;
    switch (introducer) {
      case kExtensionIntroducer: {
        const GifStatus status = readExtension(input, image);
        if (status != GifStatus::Ok) return status;
        continue;
      }
      case kImageSeparator: {
        const GifStatus status = readImage(input, decoder, translation, image);
        if (status != GifStatus::Ok) return status;
        // In a well-formed file the block terminator of the image data. A
        // trailer right after the data also ends the stream; anything else
        // is dropped.
        const int after = input.readByte();
        if (after < 0) return GifStatus::ReadFailed;
        if (after == kTrailer) return GifStatus::Ok;
        continue;
      }
      case kTrailer:
        return GifStatus::Ok;
      default:
        return GifStatus::UnknownBlock;
    }
  }
}

GifStatus GifFile::readScreen(GifInput& input) {
  std::uint8_t header[6];
  if (!input.read(header, sizeof header)) return GifStatus::ReadFailed;
  if (!isGifHeader(header)) return GifStatus::NotAGif;

  if (!input.read(&screen, sizeof screen)) return GifStatus::ReadFailed;
  if (screen.field(LogicalScreenDescriptor::GlobalColorTableFlag) != 0) {
    std::size_t size = 3u * static_cast<std::size_t>(screen.field(
                                LogicalScreenDescriptor::GlobalColorTableSize));
    if (!globalColorTable.allocate(size)) return GifStatus::NoMemory;
    if (!input.read(globalColorTable.data(), size)) {
      return GifStatus::ReadFailed;
    }
  }
  return GifStatus::Ok;
}

GifStatus GifFile::readImage(GifInput& input, LzwDecoder& decoder,
                             PixelTranslation* translation, GifFrame& image) {
  input.move(-1);  // back to the separator, the descriptor's first byte
  if (!input.read(&image.descriptor, sizeof image.descriptor)) {
    return GifStatus::ReadFailed;
  }
  if (image.descriptor.field(ImageDescriptor::LocalColorTableFlag) != 0) {
    std::size_t size = 3u * static_cast<std::size_t>(image.descriptor.field(
                                ImageDescriptor::LocalColorTableSize));
    if (!image.localColorTable.allocate(size)) return GifStatus::NoMemory;
    if (!input.read(image.localColorTable.data(), size)) {
      return GifStatus::ReadFailed;
    }
  }
  const GifStatus status = decodeImage(input, decoder, translation, image);
  if (status != GifStatus::Ok) return status;

  try {
    frames.push_back(std::move(image));
  } catch (const std::bad_alloc&) {
    return GifStatus::NoMemory;  // image still owns its buffers
  }
  // Whatever the move left behind is released: a control extension applies
  // to the next image only.
  image.release();
  return GifStatus::Ok;
}

GifStatus GifFile::decodeImage(GifInput& input, LzwDecoder& decoder,
                               PixelTranslation* translation, GifFrame& image) {
  // The decoder may write a few bytes past the last pixel; see LzwDecoder.
  if (!image.pixels.allocate(std::size_t{image.width()} * image.height() +
                                 LzwDecoder::kOutputSlack,
                             GifFrame::kPixelHeadroom)) {
    return GifStatus::NoMemory;
  }
  image.pixelsDelivered = 0;

  LzwOutput output;
  output.pixels = image.pixels.data();
  output.lineLength = image.width();
  output.lineCount = image.height();
  output.slack = LzwDecoder::kOutputSlack;
  output.table =
      translation != nullptr ? translation->tableFor(*this, image) : nullptr;
  // Interlaced rows go straight to the row where they are shown.
  output.rowOrder = image.interlaced() ? interlacedDisplayRow : nullptr;
  image.pixelsTranslated = output.table != nullptr;
  const LzwStatus status = decoder.decode(input, output);
  image.pixelsDelivered = static_cast<std::uint32_t>(output.delivered);
  if (failed(status)) {
    image.pixels.reset();
    return status == LzwStatus::NoMemory ? GifStatus::NoMemory
                                         : GifStatus::BadImageData;
  }
  return GifStatus::Ok;
}

int GifFile::skipSubBlocks(GifInput& input) {
  for (;;) {
    int size = input.readByte();
    if (size < 0) return 1;
    if (size == 0) return 0;
    input.move(size);
  }
}
