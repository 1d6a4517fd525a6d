// Resources from the resource section of the program's own module, as
// resources/gif2frm.rc declares them.
#include <windows.h>

#include "platform/resource.h"

namespace platform {

Resource findResource(const char* type, int id) {
  // A null module handle names the executable that started the process.
  HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
  if (found == nullptr) return Resource{nullptr, 0};
  // LoadResource and LockResource only map what is already in memory with
  // the image: the data stays valid, read-only, until the process ends, and
  // nothing has to free it.
  HGLOBAL loaded = ::LoadResource(nullptr, found);
  if (loaded == nullptr) return Resource{nullptr, 0};
  const void* data = ::LockResource(loaded);
  if (data == nullptr) return Resource{nullptr, 0};
  return Resource{static_cast<const std::uint8_t*>(data),
                  ::SizeofResource(nullptr, found)};
}

}  // namespace platform
