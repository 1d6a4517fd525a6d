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

  for (;;) {
    int introducer = input.readByte();
    if (introducer < 0) return GifStatus::ReadFailed;
    switch (introducer) {
      case kExtensionIntroducer: {
        int label = input.readByte();
        if (label < 0) return GifStatus::ReadFailed;
        switch (label) {
          case kGraphicControlLabel:
            // The record starts at the introducer: read it whole. A second
            // extension before the next image replaces the first.
            input.move(-2);
            if (!input.read(&current.control, sizeof current.control)) {
              return GifStatus::ReadFailed;
            }
            current.hasControl = 1;
            continue;
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
        if (skipSubBlocks(input) != 0) return GifStatus::ReadFailed;
        continue;
      }
      case kImageSeparator: {
        GifStatus status = readImage(input, decoder, translation);
        if (status != GifStatus::Ok) return status;
        // In a well-formed file the block terminator of the image data. A
        // trailer right after the data also ends the stream; anything else
        // is dropped.
        int after = input.readByte();
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

GifStatus GifFile::readImage(GifInput& input, LzwDecoder& decoder,
                             PixelTranslation* translation) {
  input.move(-1);  // back to the separator, the descriptor's first byte
  if (!input.read(&current.descriptor, sizeof current.descriptor)) {
    return GifStatus::ReadFailed;
  }
  if (current.descriptor.field(ImageDescriptor::LocalColorTableFlag) != 0) {
    std::size_t size = 3u * static_cast<std::size_t>(current.descriptor.field(
                                ImageDescriptor::LocalColorTableSize));
    if (!current.localColorTable.allocate(size)) return GifStatus::NoMemory;
    if (!input.read(current.localColorTable.data(), size)) {
      return GifStatus::ReadFailed;
    }
  }

  // The decoder may write a few bytes past the last pixel; see LzwDecoder.
  if (!current.pixels.allocate(std::size_t{current.width()} * current.height() +
                                   LzwDecoder::kOutputSlack,
                               GifFrame::kPixelHeadroom)) {
    return GifStatus::NoMemory;
  }
  current.pixelsDelivered = 0;

  pixelTable_ =
      translation != nullptr ? translation->tableFor(*this, current) : nullptr;
  current.pixelsTranslated = pixelTable_ != nullptr;
  LzwStatus status = decoder.decode(input, current.width(), *this);
  pixelTable_ = nullptr;
  if (failed(status)) {
    current.pixels.reset();
    return status == LzwStatus::NoMemory ? GifStatus::NoMemory
                                         : GifStatus::BadImageData;
  }

  try {
    frames.push_back(std::move(current));
  } catch (const std::bad_alloc&) {
    return GifStatus::NoMemory;  // current still owns its buffers
  }
  // Whatever the move left behind is released: a control extension applies
  // to the next image only.
  current.release();
  return GifStatus::Ok;
}

LzwStatus GifFile::appendPixels(const std::uint8_t* bytes,
                                std::uint32_t length) {
  std::uint64_t capacity = std::uint64_t{current.width()} * current.height();
  std::uint64_t delivered = current.pixelsDelivered;
  if (delivered + length > capacity) return LzwStatus::PixelOverflow;

  std::uint8_t* pixels = current.pixels.data();
  // Copies a row's pixels, through the translation's table if there is one.
  const auto store = [table = pixelTable_](std::uint8_t* to,
                                           const std::uint8_t* from,
                                           std::uint32_t count) {
    if (table == nullptr) {
      std::memcpy(to, from, count);
    } else {
      for (std::uint32_t i = 0; i < count; ++i) to[i] = table[from[i]];
    }
  };
  if (!current.interlaced()) {
    store(pixels + delivered, bytes, length);
  } else {
    // Rows arrive in interlace order; each goes straight to the row where
    // it is shown.
    std::uint32_t width = current.width();
    std::uint32_t height = current.height();
    std::uint32_t left = length;
    while (left > 0) {
      std::uint32_t streamRow = static_cast<std::uint32_t>(delivered / width);
      std::uint32_t column = static_cast<std::uint32_t>(delivered % width);
      std::uint32_t chunk = std::min(left, width - column);
      std::uint64_t target =
          std::uint64_t{interlacedDisplayRow(streamRow, height)} * width +
          column;
      store(pixels + target, bytes, chunk);
      bytes += chunk;
      left -= chunk;
      delivered += chunk;
    }
  }
  current.pixelsDelivered += length;
  return LzwStatus::Ok;
}

int GifFile::skipSubBlocks(GifInput& input) {
  for (;;) {
    int size = input.readByte();
    if (size < 0) return 1;
    if (size == 0) return 0;
    input.move(size);
  }
}
