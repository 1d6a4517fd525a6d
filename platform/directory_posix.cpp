#include <dirent.h>
#include <sys/stat.h>

#include <string>

#include "platform/directory.h"

namespace platform {

bool isDirectory(const char* path) {
  struct stat info;
  return ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool listFiles(const char* path, std::vector<std::string>& names) {
  DIR* directory = ::opendir(path);
  if (directory == nullptr) return false;
  std::string full(path);
  if (!full.empty() && full.back() != '/') full.push_back('/');
  const std::size_t stem = full.size();
  while (const dirent* entry = ::readdir(directory)) {
    full.resize(stem);
    full.append(entry->d_name);
    struct stat info;
    if (::stat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
      names.emplace_back(entry->d_name);
    }
  }
  ::closedir(directory);
  return true;
}

}  // namespace platform
