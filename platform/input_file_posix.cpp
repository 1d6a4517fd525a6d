#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/input_file.h"
#include "platform/io_faults.h"

namespace platform {

bool InputFile::open(const char* path) {
  close();
  int fd;
  do {
    fd = ::open(path, O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat info;
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

InputFile::ReadResult InputFile::readAll(ByteBuffer& bytes, std::size_t& size) {
  size = 0;
  // A regular file tells its size; anything else (a pipe, a device) grows
  // the buffer as it delivers.
  std::size_t capacity = 64 * 1024;
  struct stat info;
  if (::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    capacity = static_cast<std::size_t>(info.st_size) + 1;
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
    if (injectedReadFault()) return ReadResult::ReadFailed;
    ssize_t got = ::read(fd_, bytes.data() + size, capacity - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return ReadResult::ReadFailed;
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  return ReadResult::Ok;
}

bool InputFile::isOpen() const { return fd_ >= 0; }

void InputFile::close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace platform
