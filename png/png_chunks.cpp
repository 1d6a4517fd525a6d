#include "png/png_chunks.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
constexpr std::uint64_t kHeadLength = 8;  // length and type
constexpr std::uint64_t kCrcLength = 4;
}  // namespace

bool PngChunkWatch::see(const std::uint8_t* bytes, std::size_t count) {
  bytesSeen_ += count;
  while (count > 0) {
    const std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, left_));
    if (keep_ != nullptr && take != 0) {
      std::memcpy(keep_ + kept_, bytes, take);
      kept_ += take;
    }
    bytes += take;
    count -= take;
    left_ -= take;
    while (left_ == 0) {
      if (part_ == Part::Data && !finishData()) return false;
      nextPart();
    }
  }
  return true;
}

void PngChunkWatch::nextPart() {
  keep_ = nullptr;
  kept_ = 0;
  switch (part_) {
    case Part::Signature:
    case Part::Crc:
      part_ = Part::Head;
      left_ = kHeadLength;
      keep_ = head_;
      break;
    case Part::Head:
      length_ = bigEndian32(head_);
      type_ = bigEndian32(head_ + 4);
      part_ = Part::Data;
      left_ = length_;
      startData();
      break;
    case Part::Data:
      part_ = Part::Crc;
      left_ = kCrcLength;
      ++chunks_;
      break;
  }
}

// Keeps the payloads of the few chunks the reader reads itself, when they
// have their fixed length.
void PngChunkWatch::startData() {
  if (type_ == chunkType("IHDR") && chunks_ == 0 && length_ == sizeof header_) {
    keep_ = reinterpret_cast<std::uint8_t*>(&header_);
  } else if (type_ == chunkType("acTL") && length_ == sizeof actl_ &&
             !imageDataSeen_ && !animated_) {
    keep_ = reinterpret_cast<std::uint8_t*>(&actl_);
  } else if (type_ == chunkType("fcTL") && length_ == sizeof fctl_) {
    keep_ = reinterpret_cast<std::uint8_t*>(&fctl_);
  }
}

bool PngChunkWatch::finishData() {
  if (type_ == chunkType("IHDR") && keep_ != nullptr) {
    headerComplete_ = true;
  } else if (type_ == chunkType("PLTE") && paletteEntries_ == 0) {
    paletteEntries_ = length_ / 3;
  } else if (type_ == chunkType("IDAT")) {
    imageDataSeen_ = true;
  } else if (type_ == chunkType("acTL") && keep_ != nullptr) {
    animated_ = true;
  } else if (type_ == chunkType("fcTL") && keep_ != nullptr) {
    try {
      frameControls_.push_back(fctl_);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  return true;
}
