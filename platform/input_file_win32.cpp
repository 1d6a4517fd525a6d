// The input GIF through the Win32 file API. The converter reads the stream
// with ReadFile calls of exact sizes and moves about in it with SetFilePointer
// relative to the current position; here the file is read with ReadFile in
// large pieces into GifInput's window, and those exact reads and relative
// moves are made on the window, with the same results at the end of the
// file.
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
  failed_ = false;
  return true;
}

bool InputFile::size(std::uint64_t& bytes) const {
  LARGE_INTEGER fileSize;
  if (!isOpen() || ::GetFileType(asHandle(handle_)) != FILE_TYPE_DISK ||
      !::GetFileSizeEx(asHandle(handle_), &fileSize) || fileSize.QuadPart < 0) {
    return false;
  }
  bytes = static_cast<std::uint64_t>(fileSize.QuadPart);
  return true;
}

std::size_t InputFile::readSome(std::uint8_t* buffer, std::size_t size) {
  if (!isOpen() || failed_) return 0;
  if (injectedReadFault()) {
    failed_ = true;
    return 0;
  }
  if (size > kLargestRead) size = kLargestRead;
  DWORD got = 0;
  if (!::ReadFile(asHandle(handle_), buffer, static_cast<DWORD>(size), &got,
                  nullptr)) {
    // A pipe whose writer has gone reports its end as an error.
    if (::GetLastError() != ERROR_BROKEN_PIPE) failed_ = true;
    return 0;
  }
  return got;
}

bool InputFile::isOpen() const {
  return handle_ != nullptr && asHandle(handle_) != INVALID_HANDLE_VALUE;
}

void InputFile::close() {
  if (isOpen()) ::CloseHandle(asHandle(handle_));
  handle_ = nullptr;
}

}  // namespace platform
