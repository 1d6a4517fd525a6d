// The GIF stream as the reader and the LZW decoder see it: one position in a
// run of bytes, shared by both, moved by exact reads and by relative seeks
// with the semantics of a file handle. All input flows through readView();
// a read that would go past the end fails.
//
// The bytes are either all in memory already (tests, fuzzers) or come from
// a source through a window that is refilled as the position moves on, so
// that a file is never held whole: the window keeps a few bytes behind the
// position, enough for the short moves back that the reader makes right
// after reading.
#ifndef GIF2FRM_GIF_GIF_INPUT_H_
#define GIF2FRM_GIF_GIF_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/byte_source.h"

class GifInput {
 public:
  // The longest single read: a colour table of 256 entries.
  static constexpr std::size_t kLargestRead = 768;
  // How far back a move may go right after a read.
  static constexpr std::size_t kHistory = 16;
  // The smallest window a source may be given.
  static constexpr std::size_t kMinimumWindow = 4 * (kLargestRead + kHistory);

  // Over size bytes in memory.
  GifInput(const std::uint8_t* bytes, std::size_t size)
      : window_(bytes), windowEnd_(size), sourceDone_(true) {}

  // Over a source, read into window (of windowSize bytes, at least
  // kMinimumWindow) as needed.
  GifInput(platform::ByteSource& source, std::uint8_t* window,
           std::size_t windowSize)
      : window_(window),
        source_(&source),
        buffer_(window),
        bufferSize_(windowSize) {}

  // Reads exactly count bytes into destination. A short read fails; like a
  // file read at the end of the file, it still moves the position to the end.
  bool read(void* destination, std::size_t count) {
    const std::uint8_t* bytes;
    if (!readView(count, bytes)) return false;
    // An empty read may come with null pointers, which memcpy must not see.
    if (count != 0) std::memcpy(destination, bytes, count);
    return true;
  }

  // The same read without the copy: bytes points at the count bytes read
  // (count at most kLargestRead when reading from a source), valid until the
  // next read.
  bool readView(std::size_t count, const std::uint8_t*& bytes) {
    if (!holds(count) && !refill(count)) {
      if (position_ < windowEnd_) position_ = windowEnd_;
      return false;
    }
    bytes = window_ + (position_ - windowStart_);
    position_ += count;
    return true;
  }

  // One byte, 0 to 255, or -1 at the end of the data.
  int readByte() {
    if (holds(1)) return window_[position_++ - windowStart_];
    const std::uint8_t* byte;
    return readView(1, byte) ? *byte : -1;
  }

  // Moves the position by offset from where it is. A move before the start
  // of the stream fails and leaves the position alone; a move past the end is
  // allowed, and every read after it fails.
  void move(std::int64_t offset) {
    if (offset < 0 && static_cast<std::uint64_t>(-offset) > position_) return;
    position_ += static_cast<std::uint64_t>(offset);
  }

  std::uint64_t position() const { return position_; }

 private:
  bool holds(std::size_t count) const {
    return position_ >= windowStart_ && position_ <= windowEnd_ &&
           windowEnd_ - position_ >= count;
  }
  // Reads from the source until count bytes from the position are in the
  // window; false at the end of the data.
  bool refill(std::size_t count);

  // The window holds the stream's bytes windowStart_ to windowEnd_.
  const std::uint8_t* window_;
  std::uint64_t windowStart_ = 0;
  std::uint64_t windowEnd_ = 0;
  std::uint64_t position_ = 0;
  platform::ByteSource* source_ = nullptr;
  std::uint8_t* buffer_ = nullptr;  // window_ when reading from a source
  std::size_t bufferSize_ = 0;
  bool sourceDone_ = false;
};

#endif  // GIF2FRM_GIF_GIF_INPUT_H_
