#include <windows.h>

#include <string>

#include "platform/directory.h"

namespace platform {

bool isDirectory(const char* path) {
  const DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool listFiles(const char* path, std::vector<std::string>& names) {
  std::string pattern(path);
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') {
    pattern.push_back('\\');
  }
  pattern.push_back('*');
  WIN32_FIND_DATAA entry;
  const HANDLE search = ::FindFirstFileA(pattern.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) {
    // An empty directory still has "." and ".."; only a directory that
    // cannot be read ends up here.
    return false;
  }
  do {
    const DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;
    if ((entry.dwFileAttributes & skipped) == 0) {
      names.emplace_back(entry.cFileName);
    }
  } while (::FindNextFileA(search, &entry));
  ::FindClose(search);
  return true;
}

}  // namespace platform
