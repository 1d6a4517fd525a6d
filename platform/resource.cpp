#include "platform/resource.h"

#include <cstring>

#include "platform/embedded_resources.h"

namespace platform {

Resource findResource(const char* type, int id) {
  for (const EmbeddedResource* entry = kEmbeddedResources;
       entry->type != nullptr; ++entry) {
    if (entry->id == id && std::strcmp(entry->type, type) == 0) {
      return Resource{entry->data, entry->size};
    }
  }
  return Resource{nullptr, 0};
}

}  // namespace platform
