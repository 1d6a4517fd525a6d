// Where serialised output goes: a file on disk in the program, memory in
// tests and fuzzers.
#ifndef GIF2FRM_PLATFORM_BYTE_SINK_H_
#define GIF2FRM_PLATFORM_BYTE_SINK_H_

#include <cstddef>

namespace platform {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all size bytes; false when any of them could not be written.
  virtual bool write(const void* bytes, std::size_t size) = 0;
};

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_BYTE_SINK_H_
