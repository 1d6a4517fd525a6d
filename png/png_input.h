// The PNG stream as the decoder sees it: a window of bytes, read and not yet
// consumed between readIndex() and writeIndex(). The bytes are either all in
// memory already (tests, fuzzers, the benchmark: the window is the bytes, and
// nothing is copied), or come from a source through a window that refill()
// tops up in large pieces, so that a file is never held whole and never read
// a byte per system call.
#ifndef GIF2FRM_PNG_PNG_INPUT_H_
#define GIF2FRM_PNG_PNG_INPUT_H_

#include <cstddef>
#include <cstdint>

#include "platform/byte_source.h"

class PngInput {
 public:
  static constexpr std::uint64_t kUnknownSize = UINT64_MAX;
  // The smallest window a source may be given: a chunk's length and type
  // must fit with room to spare.
  static constexpr std::size_t kMinimumWindow = 64;

  // Over size bytes in memory.
  PngInput(const std::uint8_t* bytes, std::size_t size)
      : window_(bytes),
        capacity_(size),
        writeIndex_(size),
        size_(size),
        closed_(true) {}

  // Over a source, read into window (of windowSize bytes, at least
  // kMinimumWindow) as needed. sourceSize, when known (a file's size), lets
  // the reader refuse an image whose declared pixels the stream is too short
  // to hold before it allocates them.
  PngInput(platform::ByteSource& source, std::uint8_t* window,
           std::size_t windowSize, std::uint64_t sourceSize = kUnknownSize)
      : window_(window),
        capacity_(windowSize),
        size_(sourceSize),
        source_(&source),
        buffer_(window) {}

  // Moves the unconsumed bytes to the front of the window and reads more
  // behind them. The bytes that arrived are from fresh to writeIndex(). False
  // when none arrived: the data ended (or the source failed, which the
  // source tells), and closed() is true from then on.
  bool refill(std::size_t& fresh);

  const std::uint8_t* window() const { return window_; }
  std::size_t capacity() const { return capacity_; }
  std::size_t readIndex() const { return readIndex_; }
  std::size_t writeIndex() const { return writeIndex_; }
  // The stream offset of window()[0].
  std::uint64_t windowPosition() const { return windowPosition_; }
  bool closed() const { return closed_; }
  // The whole stream's length, or kUnknownSize.
  std::uint64_t size() const { return size_; }

  // Marks the bytes up to index (at most writeIndex()) as consumed.
  void consumeTo(std::size_t index) { readIndex_ = index; }

 private:
  const std::uint8_t* window_;
  std::size_t capacity_;
  std::size_t readIndex_ = 0;
  std::size_t writeIndex_ = 0;
  std::uint64_t windowPosition_ = 0;
  std::uint64_t size_ = kUnknownSize;
  platform::ByteSource* source_ = nullptr;
  std::uint8_t* buffer_ = nullptr;  // window_ when reading from a source
  bool closed_ = false;
};

#endif  // GIF2FRM_PNG_PNG_INPUT_H_
