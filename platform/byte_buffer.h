// An owned, fixed-size block of bytes whose allocation can fail without
// throwing. Every large buffer of the program (colour tables, pixels, the
// input file) is one of these, so that running out of memory is an ordinary
// result that callers test, never an exception or a crash.
#ifndef GIF2FRM_PLATFORM_BYTE_BUFFER_H_
#define GIF2FRM_PLATFORM_BYTE_BUFFER_H_

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace platform {

// Every heap block of the program's own is obtained here; a null result means
// the memory is not there. Tests can make the Nth call fail.
void* allocateBytes(std::size_t size);
void freeBytes(void* block);

// Fault injection for tests: the countdown-th allocation from now on fails
// (1 = the next one); 0 switches injection off.
void failAllocationAfter(std::uint64_t countdown);
// For tests and fuzzers: from now on, allocations fail once they would hand
// out more than budget bytes in all (freed blocks are not given back), as on
// a machine with that much memory to spare; 0 lifts the limit.
void limitAllocatedBytes(std::uint64_t budget);

class ByteBuffer {
 public:
  ByteBuffer() = default;
  ~ByteBuffer() { reset(); }
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;
  ByteBuffer(ByteBuffer&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        headroom_(std::exchange(other.headroom_, 0)) {}
  ByteBuffer& operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
      reset();
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
      headroom_ = std::exchange(other.headroom_, 0);
    }
    return *this;
  }

  // Replaces the contents by size uninitialised bytes, with headroom more
  // bytes in front of them that the owner may hand over with the buffer
  // (see releaseBlock). Returns false, leaving the buffer empty, when the
  // memory cannot be had. A size of 0 gives a valid, non-null, empty buffer.
  bool allocate(std::size_t size, std::size_t headroom = 0) {
    reset();
    if (size > SIZE_MAX - headroom - 1) return false;
    void* block = allocateBytes(headroom + (size == 0 ? 1 : size));
    if (block == nullptr) return false;
    data_ = static_cast<std::uint8_t*>(block) + headroom;
    size_ = size;
    headroom_ = headroom;
    return true;
  }

  void reset() {
    if (data_ != nullptr) freeBytes(data_ - headroom_);
    data_ = nullptr;
    size_ = 0;
    headroom_ = 0;
  }

  // Gives up the whole block, headroom included, to a new owner who frees
  // it with freeBytes; the buffer is empty afterwards.
  std::uint8_t* releaseBlock() {
    std::uint8_t* block = data_ == nullptr ? nullptr : data_ - headroom_;
    data_ = nullptr;
    size_ = 0;
    headroom_ = 0;
    return block;
  }

  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::size_t headroom() const { return headroom_; }
  bool isNull() const { return data_ == nullptr; }

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t headroom_ = 0;
};

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_BYTE_BUFFER_H_
