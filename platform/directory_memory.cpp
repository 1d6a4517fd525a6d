#include "platform/directory.h"
#include "platform/memory_files.h"

namespace platform {

bool isDirectory(const char* path) {
  return memory_files::isCurrentDirectory(path) ||
         memory_files::isInputFolder(path);
}

bool listFiles(const char* path, std::vector<std::string>& names) {
  if (!memory_files::isInputFolder(path)) return false;
  memory_files::listInputFolder(path, names);
  return true;
}

}  // namespace platform
