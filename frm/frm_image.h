// An FRM sprite in memory: the header fields, then the frames, each frame one
// heap block of its header and its pixels. The image owns all of it; entries
// of the frame array may be empty while the image is being filled, and the
// image can be destroyed at any stage.
#ifndef GIF2FRM_FRM_FRM_IMAGE_H_
#define GIF2FRM_FRM_FRM_IMAGE_H_

#include <cstddef>
#include <cstdint>

#include "frm/frm_records.h"
#include "platform/byte_sink.h"

// One frame: 12 header bytes directly followed by pixelCount palette indices,
// in a single allocation made at its final size. Only create() makes one and
// only destroy() frees it.
struct FrmFrame : FrmFrameHeader {
  // A frame of width x height with offsets 0 and uninitialised pixels, or
  // null when the memory cannot be had.
  static FrmFrame* create(std::uint16_t width, std::uint16_t height);
  // Makes a frame of width x height in a block that already holds its
  // pixels after 12 bytes of room for the header: the block, obtained with
  // platform::allocateBytes, now belongs to the frame. Offsets are 0.
  static FrmFrame* adopt(std::uint8_t* block, std::uint16_t width,
                         std::uint16_t height);
  // Frees a frame made by create() or adopt(); null is allowed.
  static void destroy(FrmFrame* frame);

  // Makes the frame width x height, at most its size now, its pixels the
  // first width x height of those it holds (the block keeps its size).
  void shrinkTo(std::uint16_t newWidth, std::uint16_t newHeight);

  std::uint8_t* pixels() {
    return reinterpret_cast<std::uint8_t*>(this) + sizeof(FrmFrameHeader);
  }
  const std::uint8_t* pixels() const {
    return reinterpret_cast<const std::uint8_t*>(this) + sizeof(FrmFrameHeader);
  }
};

static_assert(sizeof(FrmFrame) == sizeof(FrmFrameHeader),
              "a frame block starts with exactly the frame header");

struct FrmImage : FrmHeader {
  // Version 4, every other header field 0, no frame array.
  FrmImage();
  ~FrmImage();
  FrmImage(const FrmImage&) = delete;
  FrmImage& operator=(const FrmImage&) = delete;

  // Sets version to 4 and every other header field to 0; the frame array is
  // left as it is.
  void resetHeader();

  // Replaces the frame array (and the frames in it) by one of directions x
  // count empty entries, direction after direction, and sets
  // framesPerDirection to count. Returns false when directions is not 1 to 6
  // or the memory cannot be had, leaving no array, one direction and
  // framesPerDirection 0.
  bool allocateFrameArray(std::uint16_t count, int directions = 1);

  // The directions the frame array holds: 1, or 6 for a whole sprite.
  int directionCount() const { return directionCount_; }
  // The entries of the frame array: directionCount() x framesPerDirection.
  std::size_t frameCount() const {
    return std::size_t{framesPerDirection} *
           static_cast<std::size_t>(directionCount_);
  }

  // Creates a width x height frame (FrmFrame::create) and enters it at index,
  // releasing any frame that was there. Null, changing nothing, when index
  // has no entry or the memory cannot be had. frameAreaSize is the caller's.
  FrmFrame* allocateFrame(std::size_t index, std::uint16_t width,
                          std::uint16_t height);

  // Enters frame, which the image now owns, at index, releasing any frame
  // that was there. False, and frame destroyed, when index has no entry.
  bool adoptFrame(std::size_t index, FrmFrame* frame);

  // Serialises the image front to back: the header, then direction by
  // direction each frame's header and pixels, byte order turned on copies so
  // that the image stays as it is. The bytes go to the sink in gathered
  // writes (ByteSink::writeGathered) of 1 + 2 x kFramesPerWrite pieces at
  // most: the header and the first frames in the first. Returns 0 when every
  // write succeeded, 1 at the first that failed, and 1 without writing when
  // an entry of the frame array is empty (an image whose assembly stopped).
  int write(platform::ByteSink& sink) const;
  static constexpr std::size_t kFramesPerWrite = 256;

  // frameCount() entries, each a frame or null: direction 0's
  // framesPerDirection frames, then direction 1's, and so on. Null until
  // allocateFrameArray.
  FrmFrame** frames = nullptr;

 private:
  void releaseFrames();

  int directionCount_ = 1;
};

#endif  // GIF2FRM_FRM_FRM_IMAGE_H_
