// Where serialised output goes: a file on disk in the program, memory in
// tests and fuzzers.
#ifndef GIF2FRM_PLATFORM_BYTE_SINK_H_
#define GIF2FRM_PLATFORM_BYTE_SINK_H_

#include <cstddef>

namespace platform {

class ByteSink {
 public:
  // One run of bytes of a gathered write.
  struct Piece {
    const void* bytes;
    std::size_t size;
  };

  virtual ~ByteSink() = default;
  // Writes all size bytes; false when any of them could not be written.
  virtual bool write(const void* bytes, std::size_t size) = 0;
  // Writes the pieces one after the other, as one write of all of them
  // would; false when any byte could not be written. Here piece by piece; a
  // file takes as few system calls as it can.
  virtual bool writeGathered(const Piece* pieces, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      if (!write(pieces[i].bytes, pieces[i].size)) return false;
    }
    return true;
  }
};

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_BYTE_SINK_H_
