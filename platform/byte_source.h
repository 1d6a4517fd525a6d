// Where input comes from, a piece at a time: a file in the program, memory
// in tests and fuzzers.
#ifndef GIF2FRM_PLATFORM_BYTE_SOURCE_H_
#define GIF2FRM_PLATFORM_BYTE_SOURCE_H_

#include <cstddef>
#include <cstdint>

namespace platform {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to size bytes into buffer and returns how many arrived; 0 at
  // the end of the data, and also after an error of the device, which the
  // source remembers.
  virtual std::size_t readSome(std::uint8_t* buffer, std::size_t size) = 0;
};

// Reads exactly size bytes into buffer, in as many pieces as the source
// hands out. False when the data ends or the device fails first: a short
// read is a failed read, whatever part of it arrived.
inline bool readExactly(ByteSource& source, void* buffer, std::size_t size) {
  auto* next = static_cast<std::uint8_t*>(buffer);
  while (size > 0) {
    const std::size_t got = source.readSome(next, size);
    if (got == 0) return false;
    next += got;
    size -= got;
  }
  return true;
}

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_BYTE_SOURCE_H_
