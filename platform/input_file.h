// The input GIF. It is opened the way the converter always opened it
// (existing files only, shared for reading) and read in large pieces: the
// decoder reads the stream a byte at a time, and serving those reads from a
// buffer (GifInput's window) costs nanoseconds where a system call per byte
// costs microseconds. Only the window is in memory, never the whole file.
#ifndef GIF2FRM_PLATFORM_INPUT_FILE_H_
#define GIF2FRM_PLATFORM_INPUT_FILE_H_

#include <cstddef>
#include <cstdint>

#include "platform/byte_source.h"

namespace platform {

class InputFile : public ByteSource {
 public:
  InputFile() = default;
  ~InputFile() override { close(); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens an existing file for reading. A missing file, a directory or a
  // file we may not read is a failed open.
  bool open(const char* path);

  // The size of the open file in bytes, as it is now; false when it has
  // none (a pipe or a device) or cannot be asked. Readers of formats that
  // declare their own sizes check them against it before they allocate.
  bool size(std::uint64_t& bytes) const;

  // Reads the next piece of the file. An error of the device ends the data
  // there, and failed() tells of it afterwards.
  std::size_t readSome(std::uint8_t* buffer, std::size_t size) override;

  // Whether a read failed. A file that could not be read as far as the
  // converter needed is not converted, even when the part that arrived made
  // a whole GIF.
  bool failed() const { return failed_; }

  void close();
  bool isOpen() const;

 private:
#if defined(GIF2FRM_MEMORY_FILES)
  const std::uint8_t* data_ = nullptr;  // the file's bytes; null: closed
  std::size_t size_ = 0;
  std::size_t position_ = 0;
  std::size_t reported_ = 0;  // of position_, told to memory_files
#elif defined(_WIN32)
  void* handle_ = nullptr;  // a HANDLE; null or INVALID_HANDLE_VALUE: closed
#else
  int fd_ = -1;
#endif
  bool failed_ = false;
};

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_INPUT_FILE_H_
