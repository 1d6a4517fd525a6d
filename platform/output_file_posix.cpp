#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <string>

#include "platform/io_faults.h"
#include "platform/output_file.h"

namespace platform {
namespace {

// The pending temporary files' names, kept where a signal handler can reach
// them without allocating: Ctrl-C during a long write must not leave them
// behind. A name is complete before its flag goes up, and the file is gone
// before the flag comes down, so the handler sees only whole names and
// misses no file.
char pendingNames[kMaxPendingOutputs][PATH_MAX];
volatile std::sig_atomic_t pendingFlags[kMaxPendingOutputs];
bool handlersInstalled = false;

// The most pieces one writev call takes: IOV_MAX (1024 on Linux), of which
// POSIX guarantees 16.
#if defined(IOV_MAX)
constexpr int kMostVectors = IOV_MAX < 1024 ? IOV_MAX : 1024;
#else
constexpr int kMostVectors = 16;
#endif

void removePendingAndDie(int signalNumber) {
  for (int slot = 0; slot < kMaxPendingOutputs; ++slot) {
    if (pendingFlags[slot] != 0) ::unlink(pendingNames[slot]);
  }
  ::signal(signalNumber, SIG_DFL);
  ::raise(signalNumber);
}

// A free entry for one more pending file, or -1.
int freeSlot() {
  for (int slot = 0; slot < kMaxPendingOutputs; ++slot) {
    if (pendingFlags[slot] == 0) return slot;
  }
  return -1;
}

void installHandlers() {
  if (handlersInstalled) return;
  handlersInstalled = true;
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current;
    // A signal that the caller asked us to ignore stays ignored.
    if (::sigaction(signalNumber, nullptr, &current) == 0 &&
        current.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = removePendingAndDie;
    sigemptyset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
  }
}

bool flushToDisk(int fd) {
  if (::fsync(fd) == 0) return true;
  // File systems that cannot sync (some pipes and special mounts) say so;
  // that is no failure of the data already written.
  return errno == EINVAL || errno == ENOTSUP || errno == EROFS;
}

}  // namespace

bool OutputFile::create(const std::string& directory) {
  discard();
  installHandlers();
  const int slot = freeSlot();
  if (slot < 0) return false;
  constexpr char kPattern[] = ".gif2frm-XXXXXX";
  std::string path = directory.empty() ? std::string(".") : directory;
  if (path.back() != '/') path += '/';
  path += kPattern;
  char name[PATH_MAX];
  if (path.size() >= sizeof name) return false;
  std::memcpy(name, path.c_str(), path.size() + 1);
  int fd = ::mkstemp(name);
  if (fd < 0) return false;
  std::memcpy(pendingNames[slot], name, sizeof name);
  // The whole name before the flag, as the signal handler will see them.
  std::atomic_signal_fence(std::memory_order_release);
  pendingFlags[slot] = 1;
  slot_ = slot;
  // mkstemp makes the file private; the result gets the permissions any
  // newly created file would get.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  fd_ = fd;
  failed_ = false;
  return true;
}

bool OutputFile::write(const void* bytes, std::size_t size) {
  if (fd_ < 0 || failed_) return false;
  if (injectedWriteFault()) {
    failed_ = true;
    return false;
  }
  const char* next = static_cast<const char*>(bytes);
  while (size > 0) {
    ssize_t written = ::write(fd_, next, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failed_ = true;
      return false;
    }
    next += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool OutputFile::writeGathered(const Piece* pieces, std::size_t count) {
  if (fd_ < 0 || failed_) return false;
  // Where the bytes not written yet start: a piece, and how far into it.
  std::size_t first = 0;
  std::size_t offset = 0;
  for (;;) {
    while (first < count && offset == pieces[first].size) {
      ++first;
      offset = 0;
    }
    if (first == count) return true;
    struct iovec vectors[kMostVectors];
    int used = 0;
    for (std::size_t i = first; i < count && used < kMostVectors; ++i) {
      const std::size_t skip = i == first ? offset : 0;
      vectors[used].iov_base =
          const_cast<char*>(static_cast<const char*>(pieces[i].bytes)) + skip;
      vectors[used].iov_len = pieces[i].size - skip;
      ++used;
    }
    if (injectedWriteFault()) {
      failed_ = true;
      return false;
    }
    ssize_t written = ::writev(fd_, vectors, used);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      failed_ = true;
      return false;
    }
    // A short write leaves the rest for the next call.
    auto left = static_cast<std::size_t>(written);
    while (left > 0) {
      const std::size_t rest = pieces[first].size - offset;
      if (left < rest) {
        offset += left;
        break;
      }
      left -= rest;
      ++first;
      offset = 0;
    }
  }
}

OutputFile::CommitResult OutputFile::finish() {
  if (slot_ < 0) return CommitResult::CreateFailed;
  if (fd_ < 0) return CommitResult::Ok;  // finished before
  bool written = !failed_ && !injectedWriteFault() && flushToDisk(fd_);
  written = (::close(fd_) == 0) && written;
  fd_ = -1;
  if (!written) {
    discard();
    return CommitResult::WriteFailed;
  }
  return CommitResult::Ok;
}

OutputFile::CommitResult OutputFile::commit(const std::string& targetName) {
  const CommitResult finished = finish();
  if (finished != CommitResult::Ok) return finished;
  if (::rename(pendingNames[slot_], targetName.c_str()) != 0) {
    discard();
    return CommitResult::CreateFailed;
  }
  pendingFlags[slot_] = 0;
  slot_ = -1;
  return CommitResult::Ok;
}

void OutputFile::discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (slot_ >= 0) {
    ::unlink(pendingNames[slot_]);
    pendingFlags[slot_] = 0;
    slot_ = -1;
  }
}

}  // namespace platform
