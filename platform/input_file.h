// The input GIF. It is opened the way the converter always opened it
// (existing files only, shared for reading) and then read into memory in one
// go: the decoder reads the stream a byte at a time, and serving those reads
// from memory costs nanoseconds where a system call per byte costs
// microseconds.
#ifndef GIF2FRM_PLATFORM_INPUT_FILE_H_
#define GIF2FRM_PLATFORM_INPUT_FILE_H_

#include "platform/byte_buffer.h"

namespace platform {

class InputFile {
 public:
  InputFile() = default;
  ~InputFile() { close(); }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens an existing file for reading. A missing file, a directory or a
  // file we may not read is a failed open.
  bool open(const char* path);

  enum class ReadResult { Ok, NoMemory, ReadFailed };
  // Reads everything from the current position to the end into bytes.
  // ReadFailed when the device reports an error, wherever it happens: a
  // file that could not be read to its end is not converted, even when the
  // part that arrived would have made a whole GIF.
  ReadResult readAll(ByteBuffer& bytes, std::size_t& size);

  void close();
  bool isOpen() const;

 private:
#ifdef _WIN32
  void* handle_ = nullptr;  // a HANDLE; null or INVALID_HANDLE_VALUE: closed
#else
  int fd_ = -1;
#endif
};

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_INPUT_FILE_H_
