#include <cstring>
#include <utility>

#include "platform/memory_files.h"
#include "platform/output_file.h"

namespace platform {
namespace {

// The first block; it doubles from there, so that a file of n bytes costs
// O(n) copying.
constexpr std::size_t kFirstBlock = 64 * 1024;

// How many output files are pending: no more than a file system allows
// (kMaxPendingOutputs), so that a run fails here where it fails there.
int pendingCount = 0;

}  // namespace

bool OutputFile::create(const std::string& directory) {
  discard();
  if (!directory.empty() && !memory_files::isCurrentDirectory(directory)) {
    return false;
  }
  if (pendingCount >= kMaxPendingOutputs) return false;
  ++pendingCount;
  created_ = true;
  failed_ = false;
  return true;
}

bool OutputFile::write(const void* bytes, std::size_t size) {
  if (!created_ || failed_ || finished_) return false;
  if (size > pending_.size() - used_) {
    std::size_t needed = used_ + size;
    if (needed < used_) {
      failed_ = true;
      return false;
    }
    std::size_t grown =
        pending_.size() < kFirstBlock ? kFirstBlock : pending_.size();
    while (grown < needed) {
      grown = grown > SIZE_MAX / 2 ? needed : grown * 2;
    }
    ByteBuffer larger;
    if (!larger.allocate(grown)) {
      failed_ = true;
      return false;
    }
    if (used_ != 0) std::memcpy(larger.data(), pending_.data(), used_);
    pending_ = std::move(larger);
  }
  if (size != 0) std::memcpy(pending_.data() + used_, bytes, size);
  used_ += size;
  return true;
}

// Memory needs no flushing: the file is finished unless a write failed.
// Later writes fail, as they do on a closed file.
OutputFile::CommitResult OutputFile::finish() {
  if (!created_) return CommitResult::CreateFailed;
  if (failed_) {
    discard();
    return CommitResult::WriteFailed;
  }
  finished_ = true;
  return CommitResult::Ok;
}

OutputFile::CommitResult OutputFile::commit(const std::string& targetName) {
  const CommitResult finished = finish();
  if (finished != CommitResult::Ok) return finished;
  const std::string name = memory_files::fileName(targetName);
  if (name.empty() || name.back() == '/') {
    discard();
    return CommitResult::CreateFailed;  // a directory, not a file
  }
  if (!memory_files::commitOutput(name, std::move(pending_), used_)) {
    discard();
    return CommitResult::WriteFailed;
  }
  discard();
  return CommitResult::Ok;
}

void OutputFile::discard() {
  if (created_) --pendingCount;
  pending_.reset();
  used_ = 0;
  created_ = false;
  finished_ = false;
}

}  // namespace platform
