// Where input comes from, a piece at a time: a file in the program.
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

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_BYTE_SOURCE_H_
