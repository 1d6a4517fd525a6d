#include <sys/stat.h>

#include "platform/directory.h"

namespace platform {

bool isDirectory(const char* path) {
  struct stat info;
  return ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace platform
