// A ByteSink that keeps everything written to it in memory and counts the
// writes; it can be told to fail one of them.
#ifndef GIF2FRM_TESTS_FRM_RECORDING_SINK_H_
#define GIF2FRM_TESTS_FRM_RECORDING_SINK_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/byte_sink.h"

class RecordingSink : public platform::ByteSink {
 public:
  // failingWrite: the 1-based number of the write that fails; 0 for none.
  explicit RecordingSink(int failingWrite = 0) : failingWrite_(failingWrite) {}

  bool write(const void* bytes, std::size_t size) override {
    ++writes;
    if (writes == failingWrite_) return false;
    const auto* begin = static_cast<const std::uint8_t*>(bytes);
    data.insert(data.end(), begin, begin + size);
    return true;
  }

  std::vector<std::uint8_t> data;
  int writes = 0;

 private:
  int failingWrite_;
};

#endif  // GIF2FRM_TESTS_FRM_RECORDING_SINK_H_
