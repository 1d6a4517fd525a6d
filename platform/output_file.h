// An output file, written so that a run either replaces the target
// completely or leaves it as it was: the bytes go to a temporary file of a
// short name of its own in the target's own directory (so that the rename
// stays within one file system), which is flushed to disk and then renamed
// over the target. A failed or interrupted run removes the temporary file.
//
// Several output files may be pending at once (up to kMaxPendingOutputs),
// so that a program writing a set of files can write and flush every one of
// them (finish) before it renames the first (commit): a failure while
// writing then leaves every target as it was. An interruption removes every
// pending temporary file.
#ifndef GIF2FRM_PLATFORM_OUTPUT_FILE_H_
#define GIF2FRM_PLATFORM_OUTPUT_FILE_H_

#include <string>

#include "platform/byte_sink.h"
#if defined(GIF2FRM_MEMORY_FILES)
#include "platform/byte_buffer.h"
#endif

namespace platform {

// How many output files may have a temporary file at the same time.
constexpr int kMaxPendingOutputs = 8;

class OutputFile : public ByteSink {
 public:
  OutputFile() = default;
  ~OutputFile() override { discard(); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the temporary file in directory, the one the target will be in
  // ("." or empty: the current directory). False when that is not possible,
  // for instance when the directory does not exist, or when
  // kMaxPendingOutputs other output files are pending already.
  bool create(const std::string& directory = ".");

  bool write(const void* bytes, std::size_t size) override;
#if !defined(GIF2FRM_MEMORY_FILES)
  // A small file (on POSIX systems any file of up to 1024 pieces) in one
  // system call.
  bool writeGathered(const Piece* pieces, std::size_t count) override;
#endif

  enum class CommitResult { Ok, WriteFailed, CreateFailed };
  // Flushes the temporary file to disk and closes it; it stays pending,
  // for commit to rename. WriteFailed, and the temporary file removed, when
  // any write or the flush failed; CreateFailed when nothing was created.
  CommitResult finish();

  // Finishes the temporary file, unless that was done, and renames it to
  // targetName, replacing a file of that name. WriteFailed when any write or
  // the flush failed, CreateFailed when the target name cannot take the file
  // (for instance, it names a directory). On any failure the temporary file
  // is removed and an existing target is untouched.
  CommitResult commit(const std::string& targetName);

  // Closes and removes the temporary file, if there is one.
  void discard();

 private:
#if defined(GIF2FRM_MEMORY_FILES)
  ByteBuffer pending_;    // the bytes so far, with room to grow
  std::size_t used_ = 0;  // how many of them are written
  bool created_ = false;  // pending, and counted as such
  bool finished_ = false;
#else
#if defined(_WIN32)
  void* handle_ = nullptr;  // a HANDLE of the temporary file, or null
#else
  int fd_ = -1;
#endif
  int slot_ = -1;           // the pending temporary file's entry, or -1 for none
#endif
  bool failed_ = false;
};

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_OUTPUT_FILE_H_
