// A watcher of the chunk structure: it sees every byte of the stream on its
// way to the decoder, in pieces of any size, and keeps what the decoder does
// not hand back: the IHDR fields as they stand, the number of PLTE entries,
// whether an acTL chunk came before the image data, and every fcTL chunk's
// payload in stream order (raw delays included). It checks nothing; the
// decoder judges the stream.
#ifndef GIF2FRM_PNG_PNG_CHUNKS_H_
#define GIF2FRM_PNG_PNG_CHUNKS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "png/png_records.h"

class PngChunkWatch {
 public:
  // The stream's next count bytes. False when a frame control could not be
  // stored for want of memory.
  bool see(const std::uint8_t* bytes, std::size_t count);

  // Whether the first chunk was a whole IHDR of 13 bytes.
  bool headerComplete() const { return headerComplete_; }
  const PngImageHeader& header() const { return header_; }
  // How many bytes of the stream were seen.
  std::uint64_t bytesSeen() const { return bytesSeen_; }
  // The first PLTE chunk's entries (its length / 3), 0 without one.
  std::uint32_t paletteEntries() const { return paletteEntries_; }
  // Whether an acTL chunk of 8 bytes came before the first IDAT.
  bool animated() const { return animated_; }
  const PngAnimationControl& animationControl() const { return actl_; }
  // The fcTL chunks of 26 bytes, in stream order.
  const std::vector<PngFrameControl>& frameControls() const {
    return frameControls_;
  }

 private:
  enum class Part { Signature, Head, Data, Crc };

  void nextPart();
  void startData();
  bool finishData();

  Part part_ = Part::Signature;
  std::uint64_t left_ = 8;  // bytes of the current part still to come
  std::uint8_t head_[8] = {};
  std::uint32_t length_ = 0;
  std::uint32_t type_ = 0;
  // Where the current part's bytes are kept, or null to let them pass.
  std::uint8_t* keep_ = nullptr;
  std::uint64_t kept_ = 0;

  std::uint64_t bytesSeen_ = 0;
  std::uint64_t chunks_ = 0;
  bool headerComplete_ = false;
  bool imageDataSeen_ = false;
  bool animated_ = false;
  std::uint32_t paletteEntries_ = 0;
  PngImageHeader header_{};
  PngAnimationControl actl_{};
  PngFrameControl fctl_{};
  std::vector<PngFrameControl> frameControls_;
};

#endif  // GIF2FRM_PNG_PNG_CHUNKS_H_
