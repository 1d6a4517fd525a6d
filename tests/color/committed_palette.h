// The palette files as committed under resources/.
#ifndef GIF2FRM_TESTS_COLOR_COMMITTED_PALETTE_H_
#define GIF2FRM_TESTS_COLOR_COMMITTED_PALETTE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"

inline std::string resourcePath(const std::string& name) {
  return std::string(GIF2FRM_SOURCE_DIR) + "/resources/" + name;
}

inline std::vector<std::uint8_t> committedResource(const std::string& name) {
  return readFileBytes(resourcePath(name));
}

#endif  // GIF2FRM_TESTS_COLOR_COMMITTED_PALETTE_H_
