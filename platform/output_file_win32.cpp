// The output FRM file through the Win32 file API: a temporary file made by
// GetTempFileNameA in the target's directory, opened with CreateFileA (write
// access, shared for reading, create always, normal attributes), written
// with WriteFile, flushed and closed, then moved over the target with
// MoveFileExA. A failed run, or one ended by Ctrl-C or by closing the
// console, deletes the temporary file.
#include <windows.h>

#include <atomic>
#include <cstring>

#include "platform/io_faults.h"
#include "platform/output_file.h"

namespace platform {
namespace {

// The temporary file as the console control handler sees it. That handler
// runs on a thread of its own, so the handle is taken with an atomic
// exchange by whichever side closes it, and the name is only deleted by the
// side that clears temporaryPending.
char pendingTemporary[MAX_PATH] = "";
std::atomic<bool> temporaryPending{false};
std::atomic<HANDLE> pendingHandle{INVALID_HANDLE_VALUE};
bool handlerInstalled = false;

// WriteFile takes a 32-bit count; larger blocks are written in pieces.
constexpr std::size_t kLargestWrite = 1u << 30;

// Pieces of a gathered write are copied together up to this many bytes.
constexpr std::size_t kGatherBuffer = 64 * 1024;

void closePendingHandle() {
  HANDLE handle = pendingHandle.exchange(INVALID_HANDLE_VALUE);
  if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
}

void deletePendingTemporary() {
  closePendingHandle();  // an open file cannot be deleted
  if (temporaryPending.exchange(false)) ::DeleteFileA(pendingTemporary);
}

BOOL WINAPI removeTemporaryOnInterrupt(DWORD /*event*/) {
  deletePendingTemporary();
  return FALSE;  // the default handler then ends the process as usual
}

void installHandler() {
  if (handlerInstalled) return;
  handlerInstalled = true;
  ::SetConsoleCtrlHandler(removeTemporaryOnInterrupt, TRUE);
}

}  // namespace

bool OutputFile::create(const std::string& directory) {
  discard();
  installHandler();
  // "g2f" and four hex digits: short enough for any file system, and made
  // unique by GetTempFileNameA, which creates the empty file.
  char name[MAX_PATH];
  const char* folder = directory.empty() ? "." : directory.c_str();
  if (::GetTempFileNameA(folder, "g2f", 0, name) == 0) return false;
  std::memcpy(pendingTemporary, name, sizeof name);
  temporaryPending = true;
  HANDLE handle = ::CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    deletePendingTemporary();
    return false;
  }
  pendingHandle = handle;
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

OutputFile::CommitResult OutputFile::commit(const std::string& targetName) {
  if (handle_ == nullptr) return CommitResult::CreateFailed;
  bool written = !failed_ && !injectedWriteFault() &&
                 ::FlushFileBuffers(static_cast<HANDLE>(handle_)) != 0;
  HANDLE handle = pendingHandle.exchange(INVALID_HANDLE_VALUE);
  if (handle == INVALID_HANDLE_VALUE || !::CloseHandle(handle)) written = false;
  handle_ = nullptr;
  if (!written) {
    discard();
    return CommitResult::WriteFailed;
  }
  // Write-through: the rename is on the disk when the call returns, so the
  // success message is never printed for a file that a crash could lose.
  if (!::MoveFileExA(pendingTemporary, targetName.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    discard();
    return CommitResult::CreateFailed;
  }
  temporaryPending = false;
  return CommitResult::Ok;
}

void OutputFile::discard() {
  handle_ = nullptr;
  deletePendingTemporary();
}

}  // namespace platform
