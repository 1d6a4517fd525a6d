// The table of resources compiled into the program. On a system without a
// resource section in its executables the build generates this table from the
// files under resources/ (see resources/CMakeLists.txt).
#ifndef GIF2FRM_PLATFORM_EMBEDDED_RESOURCES_H_
#define GIF2FRM_PLATFORM_EMBEDDED_RESOURCES_H_

#include <cstddef>
#include <cstdint>

namespace platform {

struct EmbeddedResource {
  const char* type;
  int id;
  const std::uint8_t* data;
  std::size_t size;
};

// Defined by generated code; the table ends with an entry whose type is null.
extern const EmbeddedResource kEmbeddedResources[];

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_EMBEDDED_RESOURCES_H_
