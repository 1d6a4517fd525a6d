#include "frm/frm_reader.h"

#include "frm/byte_order.h"

namespace {

constexpr std::uint64_t kHeaderSize = sizeof(FrmHeader);
constexpr std::uint64_t kFrameHeaderSize = sizeof(FrmFrameHeader);

// The fields of the header that a reader cannot go on without, checked
// against the file's size before anything is allocated.
FrmReadStatus checkHeader(const FrmHeader& header, std::uint64_t fileSize,
                          std::uint32_t frameCount) {
  if (header.version != kFrmVersion) return FrmReadStatus::BadVersion;
  if (header.framesPerDirection == 0) return FrmReadStatus::NoFrames;
  const std::uint64_t declared = kHeaderSize + header.frameAreaSize;
  if (fileSize < declared) return FrmReadStatus::Truncated;
  if (fileSize > declared) return FrmReadStatus::TrailingBytes;
  if (kFrameHeaderSize * frameCount > header.frameAreaSize) {
    return FrmReadStatus::TooManyFrames;
  }
  return FrmReadStatus::Ok;
}

// Reads frame index, which starts position bytes into the frame area.
FrmReadStatus readFrame(platform::ByteSource& source, std::uint32_t index,
                        std::uint64_t& position, FrmImage& image) {
  const std::uint64_t left = image.frameAreaSize - position;
  if (left < kFrameHeaderSize) return FrmReadStatus::FrameOutsideArea;
  FrmFrameHeader header;
  if (!platform::readExactly(source, &header, sizeof header)) {
    return FrmReadStatus::ReadFailed;
  }
  reverseFieldBytes(header);
  if (header.pixelCount != std::uint32_t{header.width} * header.height) {
    return FrmReadStatus::BadPixelCount;
  }
  if (header.pixelCount > left - kFrameHeaderSize) {
    return FrmReadStatus::FrameOutsideArea;
  }
  FrmFrame* frame = image.allocateFrame(index, header.width, header.height);
  if (frame == nullptr) return FrmReadStatus::NoMemory;
  frame->offsetX = header.offsetX;
  frame->offsetY = header.offsetY;
  if (!platform::readExactly(source, frame->pixels(), frame->pixelCount)) {
    return FrmReadStatus::ReadFailed;
  }
  position += kFrameHeaderSize + header.pixelCount;
  return FrmReadStatus::Ok;
}

}  // namespace

FrmReadStatus readFrm(platform::ByteSource& source, std::uint64_t fileSize,
                      FrmImage& image) {
  if (fileSize < kHeaderSize) return FrmReadStatus::Truncated;
  FrmHeader header;
  if (!platform::readExactly(source, &header, sizeof header)) {
    return FrmReadStatus::ReadFailed;
  }
  reverseFieldBytes(header);
  const int directions = frmDirectionCount(header);
  const std::uint32_t frameCount = std::uint32_t{header.framesPerDirection} *
                                   static_cast<std::uint32_t>(directions);
  const FrmReadStatus checked = checkHeader(header, fileSize, frameCount);
  if (checked != FrmReadStatus::Ok) return checked;

  static_cast<FrmHeader&>(image) = header;
  if (!image.allocateFrameArray(header.framesPerDirection, directions)) {
    return FrmReadStatus::NoMemory;
  }
  std::uint64_t position = 0;  // from the start of the frame area
  for (std::uint32_t i = 0; i < frameCount; ++i) {
    // Each direction's offset must name the start of its first frame; a
    // single direction starts at 0 like the frame area itself.
    if (i % header.framesPerDirection == 0 &&
        header.dataOffset[i / header.framesPerDirection] != position) {
      return FrmReadStatus::BadDirectionOffset;
    }
    const FrmReadStatus frame = readFrame(source, i, position, image);
    if (frame != FrmReadStatus::Ok) return frame;
  }
  if (position != header.frameAreaSize) return FrmReadStatus::AreaNotFilled;
  return FrmReadStatus::Ok;
}
