// Read-only data built into the executable, found by type and numeric
// identifier, in the way a Windows program finds its resources.
#ifndef GIF2FRM_PLATFORM_RESOURCE_H_
#define GIF2FRM_PLATFORM_RESOURCE_H_

#include <cstddef>
#include <cstdint>

namespace platform {

struct Resource {
  const std::uint8_t* data;
  std::size_t size;
};

// The resource of the given type and identifier. The data stays valid and
// unchanged for the life of the process. Returns {nullptr, 0} when the program
// carries no such resource.
Resource findResource(const char* type, int id);

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_RESOURCE_H_
