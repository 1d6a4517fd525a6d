// The GIF stream as the reader and the LZW decoder see it: one position in a
// run of bytes, shared by both, moved by exact reads and by relative seeks
// with the semantics of a file handle. All input flows through read(); a read
// that would go past the end fails.
#ifndef GIF2FRM_GIF_GIF_INPUT_H_
#define GIF2FRM_GIF_GIF_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

class GifInput {
 public:
  GifInput(const std::uint8_t* bytes, std::size_t size)
      : bytes_(bytes), size_(size) {}

  // Reads exactly count bytes into destination. A short read fails; like a
  // file read at the end of the file, it still moves the position to the end.
  bool read(void* destination, std::size_t count) {
    const std::uint8_t* bytes;
    if (!readView(count, bytes)) return false;
    std::memcpy(destination, bytes, count);
    return true;
  }

  // The same read without the copy: bytes points at the count bytes read,
  // which stay valid as long as the input.
  bool readView(std::size_t count, const std::uint8_t*& bytes) {
    if (position_ >= size_ || count > size_ - position_) {
      if (position_ < size_) position_ = size_;
      return false;
    }
    bytes = bytes_ + position_;
    position_ += count;
    return true;
  }

  // One byte, 0 to 255, or -1 at the end of the data.
  int readByte() {
    if (position_ >= size_) return -1;
    return bytes_[position_++];
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
  const std::uint8_t* bytes_;
  std::size_t size_;
  std::uint64_t position_ = 0;
};

#endif  // GIF2FRM_GIF_GIF_INPUT_H_
