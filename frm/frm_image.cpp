#include "frm/frm_image.h"

#include <cstddef>
#include <cstring>
#include <limits>
#include <new>

#include "frm/byte_order.h"
#include "platform/byte_buffer.h"

FrmFrame* FrmFrame::create(std::uint16_t width, std::uint16_t height) {
  // At most 65535 x 65535, which fits 32 bits, but 12 more bytes need not fit
  // a 32-bit size_t.
  const std::uint32_t pixelCount = std::uint32_t{width} * height;
  const std::uint64_t blockSize =
      sizeof(FrmFrameHeader) + std::uint64_t{pixelCount};
  if (blockSize > std::numeric_limits<std::size_t>::max()) return nullptr;
  void* block = platform::allocateBytes(static_cast<std::size_t>(blockSize));
  if (block == nullptr) return nullptr;
  auto* frame = new (block) FrmFrame{};
  frame->width = width;
  frame->height = height;
  frame->pixelCount = pixelCount;
  return frame;
}

FrmFrame* FrmFrame::adopt(std::uint8_t* block, std::uint16_t width,
                          std::uint16_t height) {
  // The pixels stay where they are; only the header is made in front.
  auto* frame = new (block) FrmFrame{};
  frame->width = width;
  frame->height = height;
  frame->pixelCount = std::uint32_t{width} * height;
  return frame;
}

void FrmFrame::destroy(FrmFrame* frame) { platform::freeBytes(frame); }

void FrmFrame::shrinkTo(std::uint16_t newWidth, std::uint16_t newHeight) {
  const std::uint32_t count = std::uint32_t{newWidth} * newHeight;
  if (count > pixelCount) return;  // a frame never grows past its block
  width = newWidth;
  height = newHeight;
  pixelCount = count;
}

FrmImage::FrmImage() : FrmHeader{} { resetHeader(); }

FrmImage::~FrmImage() { releaseFrames(); }

void FrmImage::resetHeader() {
  // Only the header part of the image is cleared; frames is not part of it.
  FrmHeader& header = *this;
  header = FrmHeader{};
  version = kFrmVersion;
}

bool FrmImage::allocateFrameArray(std::uint16_t count, int directions) {
  releaseFrames();
  if (directions < 1 || directions > kFrmDirections) return false;
  const std::size_t entries =
      std::size_t{count} * static_cast<std::size_t>(directions);
  const std::size_t bytes = sizeof(FrmFrame*) * entries;
  void* block = platform::allocateBytes(bytes == 0 ? 1 : bytes);
  if (block == nullptr) return false;
  frames = static_cast<FrmFrame**>(block);
  for (std::size_t i = 0; i < entries; ++i) frames[i] = nullptr;
  framesPerDirection = count;
  directionCount_ = directions;
  return true;
}

FrmFrame* FrmImage::allocateFrame(std::size_t index, std::uint16_t width,
                                  std::uint16_t height) {
  if (frames == nullptr || index >= frameCount()) return nullptr;
  FrmFrame* frame = FrmFrame::create(width, height);
  if (frame == nullptr) return nullptr;
  FrmFrame::destroy(frames[index]);
  frames[index] = frame;
  return frame;
}

bool FrmImage::adoptFrame(std::size_t index, FrmFrame* frame) {
  if (frames == nullptr || index >= frameCount()) {
    FrmFrame::destroy(frame);
    return false;
  }
  FrmFrame::destroy(frames[index]);
  frames[index] = frame;
  return true;
}

void FrmImage::releaseFrames() {
  if (frames != nullptr) {
    for (std::size_t i = 0; i < frameCount(); ++i) {
      FrmFrame::destroy(frames[i]);
    }
    platform::freeBytes(frames);
  }
  frames = nullptr;
  framesPerDirection = 0;
  directionCount_ = 1;
}

int FrmImage::write(platform::ByteSink& sink) const {
  // Refuse up front rather than leave a file whose header promises frames
  // that never follow.
  const std::size_t count = frameCount();
  if (count != 0 && frames == nullptr) return 1;
  for (std::size_t i = 0; i < count; ++i) {
    if (frames[i] == nullptr) return 1;
  }

  FrmHeader header = *this;
  reverseFieldBytes(header);

  // The file goes out in gathered writes: the header and the first frames,
  // then further frames, kFramesPerWrite at a time, so that a sprite of up
  // to that many frames takes one write (one system call). The frame array
  // holds the directions one after another, as the file does.
  FrmFrameHeader headers[kFramesPerWrite];
  platform::ByteSink::Piece pieces[1 + 2 * kFramesPerWrite];
  std::size_t used = 0;
  pieces[used++] = {&header, sizeof header};
  std::size_t gathered = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const FrmFrame& frame = *frames[i];
    FrmFrameHeader& frameHeader = headers[gathered++];
    frameHeader = frame;
    reverseFieldBytes(frameHeader);
    pieces[used++] = {&frameHeader, sizeof frameHeader};
    pieces[used++] = {frame.pixels(), frame.pixelCount};
    if (gathered == kFramesPerWrite) {
      if (!sink.writeGathered(pieces, used)) return 1;
      used = 0;
      gathered = 0;
    }
  }
  if (used != 0 && !sink.writeGathered(pieces, used)) return 1;
  return 0;
}
