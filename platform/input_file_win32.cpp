// The input GIF through the Win32 file API. The converter reads the stream
// with ReadFile calls of exact sizes and moves about in it with SetFilePointer
// relative to the current position; here the file is read into memory with
// ReadFile once, and those exact reads and relative moves are made on the
// bytes in memory by GifInput, with the same results at the end of the file.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "platform/input_file.h"
#include "platform/io_faults.h"

namespace platform {
namespace {

// ReadFile takes a 32-bit count; larger files are read in pieces.
constexpr std::size_t kLargestRead = 1u << 30;

HANDLE asHandle(void* handle) { return static_cast<HANDLE>(handle); }

}  // namespace

bool InputFile::open(const char* path) {
  close();
  // Read access, shared for reading only, existing files only. A directory
  // cannot be opened this way (that needs FILE_FLAG_BACKUP_SEMANTICS), so it
  // fails here as it does on other systems.
  HANDLE handle = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  handle_ = handle;
  return true;
}

InputFile::ReadResult InputFile::readAll(ByteBuffer& bytes, std::size_t& size) {
  size = 0;
  // A disk file tells its size; anything else (a pipe, a device) grows the
  // buffer as it delivers.
  std::size_t capacity = 64 * 1024;
  LARGE_INTEGER fileSize;
  if (::GetFileType(asHandle(handle_)) == FILE_TYPE_DISK &&
      ::GetFileSizeEx(asHandle(handle_), &fileSize) && fileSize.QuadPart > 0 &&
      static_cast<std::uint64_t>(fileSize.QuadPart) < SIZE_MAX) {
    capacity = static_cast<std::size_t>(fileSize.QuadPart) + 1;
  }
  if (!bytes.allocate(capacity)) return ReadResult::NoMemory;
  for (;;) {
    if (size == capacity) {
      ByteBuffer larger;
      if (capacity > SIZE_MAX / 2 || !larger.allocate(capacity * 2)) {
        return ReadResult::NoMemory;
      }
      std::memcpy(larger.data(), bytes.data(), size);
      bytes = std::move(larger);
      capacity *= 2;
    }
    std::size_t wanted = capacity - size;
    if (wanted > kLargestRead) wanted = kLargestRead;
    if (injectedReadFault()) return ReadResult::ReadFailed;
    DWORD got = 0;
    if (!::ReadFile(asHandle(handle_), bytes.data() + size,
                    static_cast<DWORD>(wanted), &got, nullptr)) {
      // A pipe whose writer has gone reports its end as an error.
      if (::GetLastError() == ERROR_BROKEN_PIPE) break;
      return ReadResult::ReadFailed;
    }
    if (got == 0) break;
    size += got;
  }
  return ReadResult::Ok;
}

bool InputFile::isOpen() const {
  return handle_ != nullptr && asHandle(handle_) != INVALID_HANDLE_VALUE;
}

void InputFile::close() {
  if (isOpen()) ::CloseHandle(asHandle(handle_));
  handle_ = nullptr;
}

}  // namespace platform
