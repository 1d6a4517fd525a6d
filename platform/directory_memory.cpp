#include "platform/directory.h"
#include "platform/memory_files.h"

namespace platform {

bool isDirectory(const char* path) {
  return memory_files::isCurrentDirectory(path);
}

}  // namespace platform
