// The output FRM file through the Win32 file API: a temporary file made by
// GetTempFileNameA in the target's directory, opened with CreateFileA (write
// access, shared for reading, create always, normal attributes), written
// with WriteFile, flushed and closed, then moved over the target with
// MoveFileExA. A failed run, or one ended by Ctrl-C or by closing the
// console, deletes every pending temporary file.
#include <windows.h>

#include <atomic>
#include <cstring>

#include "platform/io_faults.h"
#include "platform/output_file.h"

namespace platform {
namespace {

// The pending temporary files as the console control handler sees them.
// That handler runs on a thread of its own, so a handle is taken with an
// atomic exchange by whichever side closes it, and a name is only deleted by
// the side that clears its pending flag. A name is complete before its flag
// is set.
char pendingNames[kMaxPendingOutputs][MAX_PATH];
std::atomic<bool> pendingFlags[kMaxPendingOutputs];
std::atomic<HANDLE> pendingHandles[kMaxPendingOutputs];  // null: none open
bool handlerInstalled = false;

// WriteFile takes a 32-bit count; larger blocks are written in pieces.
constexpr std::size_t kLargestWrite = 1u << 30;

// Pieces of a gathered write are copied together up to this many bytes.
constexpr std::size_t kGatherBuffer = 64 * 1024;

void closePendingHandle(int slot) {
  HANDLE handle = pendingHandles[slot].exchange(nullptr);
  if (handle != nullptr) ::CloseHandle(handle);
}

void deletePendingTemporary(int slot) {
  closePendingHandle(slot);  // an open file cannot be deleted
  if (pendingFlags[slot].exchange(false)) ::DeleteFileA(pendingNames[slot]);
}

BOOL WINAPI removeTemporariesOnInterrupt(DWORD /*event*/) {
  for (int slot = 0; slot < kMaxPendingOutputs; ++slot) {
    deletePendingTemporary(slot);
  }
  return FALSE;  // the default handler then ends the process as usual
}

// A free entry for one more pending file, or -1.
int freeSlot() {
  for (int slot = 0; slot < kMaxPendingOutputs; ++slot) {
    if (!pendingFlags[slot]) return slot;
  }
  return -1;
}

void installHandler() {
  if (handlerInstalled) return;
  handlerInstalled = true;
  ::SetConsoleCtrlHandler(removeTemporariesOnInterrupt, TRUE);
}

}  // namespace

bool OutputFile::create(const std::string& directory) {
  discard();
  installHandler();
  const int slot = freeSlot();
  if (slot < 0) return false;
  // "g2f" and four hex digits: short enough for any file system, and made
  // unique by GetTempFileNameA, which creates the empty file.
  char name[MAX_PATH];
  const char* folder = directory.empty() ? "." : directory.c_str();
  if (::GetTempFileNameA(folder, "g2f", 0, name) == 0) return false;
  std::memcpy(pendingNames[slot], name, sizeof name);
  pendingFlags[slot] = true;
  slot_ = slot;
  HANDLE handle = ::CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    discard();
    return false;
  }
  pendingHandles[slot] = handle;
  handle_ = handle;
  failed_ = false;
  return true;
}

bool OutputFile::write(const void* bytes, std::size_t size) {
  if (handle_ == nullptr || failed_) return false;
  if (injectedWriteFault()) {
    failed_ = true;
    return false;
  }
  const char* next = static_cast<const char*>(bytes);
  while (size > 0) {
    DWORD piece =
        static_cast<DWORD>(size < kLargestWrite ? size : kLargestWrite);
    DWORD written = 0;
    if (!::WriteFile(static_cast<HANDLE>(handle_), next, piece, &written,
                     nullptr) ||
        written == 0) {
      failed_ = true;
      return false;
    }
    next += written;
    size -= written;
  }
  return true;
}

bool OutputFile::writeGathered(const Piece* pieces, std::size_t count) {
  // WriteFileGather wants page-sized pieces of an unbuffered file. Instead,
  // small pieces are copied together and go out in one WriteFile; a large
  // one goes on its own.
  char gathered[kGatherBuffer];
  std::size_t used = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Piece& piece = pieces[i];
    const bool large = piece.size > sizeof gathered / 2;
    if (large || piece.size > sizeof gathered - used) {
      if (used != 0 && !write(gathered, used)) return false;
      used = 0;
    }
    if (large) {
      if (!write(piece.bytes, piece.size)) return false;
    } else if (piece.size != 0) {
      std::memcpy(gathered + used, piece.bytes, piece.size);
      used += piece.size;
    }
  }
  return used == 0 || write(gathered, used);
}

OutputFile::CommitResult OutputFile::finish() {
  if (slot_ < 0) return CommitResult::CreateFailed;
  if (handle_ == nullptr) return CommitResult::Ok;  // finished before
  bool written = !failed_ && !injectedWriteFault() &&
                 ::FlushFileBuffers(static_cast<HANDLE>(handle_)) != 0;
  HANDLE handle = pendingHandles[slot_].exchange(nullptr);
  if (handle == nullptr || !::CloseHandle(handle)) written = false;
  handle_ = nullptr;
  if (!written) {
    discard();
    return CommitResult::WriteFailed;
  }
  return CommitResult::Ok;
}

OutputFile::CommitResult OutputFile::commit(const std::string& targetName) {
  const CommitResult finished = finish();
  if (finished != CommitResult::Ok) return finished;
  // Write-through: the rename is on the disk when the call returns, so the
  // success message is never printed for a file that a crash could lose.
  if (!::MoveFileExA(pendingNames[slot_], targetName.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    discard();
    return CommitResult::CreateFailed;
  }
  pendingFlags[slot_] = false;
  slot_ = -1;
  return CommitResult::Ok;
}

void OutputFile::discard() {
  handle_ = nullptr;
  if (slot_ >= 0) {
    deletePendingTemporary(slot_);
    slot_ = -1;
  }
}

}  // namespace platform
