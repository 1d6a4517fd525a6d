#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
  failed_ = false;
  return true;
}

bool InputFile::size(std::uint64_t& bytes) const {
  struct stat info;
  if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
    return false;
  }
  bytes = static_cast<std::uint64_t>(info.st_size);
  return true;
}

std::size_t InputFile::readSome(std::uint8_t* buffer, std::size_t size) {
  if (fd_ < 0 || failed_) return 0;
  if (injectedReadFault()) {
    failed_ = true;
    return 0;
  }
  for (;;) {
    ssize_t got = ::read(fd_, buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) {
      failed_ = true;
      return 0;
    }
  }
}

bool InputFile::isOpen() const { return fd_ >= 0; }

void InputFile::close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace platform
