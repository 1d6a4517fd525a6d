// A ByteSource over bytes that are already in memory: what tests and fuzzers
// hand a reader in place of a file. The bytes stay the caller's.
#ifndef GIF2FRM_PLATFORM_MEMORY_SOURCE_H_
#define GIF2FRM_PLATFORM_MEMORY_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/byte_source.h"

namespace platform {

class MemorySource : public ByteSource {
 public:
  MemorySource(const std::uint8_t* bytes, std::size_t size)
      : bytes_(bytes), size_(size) {}

  std::size_t readSome(std::uint8_t* buffer, std::size_t size) override {
    const std::size_t count =
        size < size_ - position_ ? size : size_ - position_;
    if (count != 0) std::memcpy(buffer, bytes_ + position_, count);
    position_ += count;
    return count;
  }

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
  std::size_t position_ = 0;
};

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_MEMORY_SOURCE_H_
