// Host order to the FRM file's big-endian order. The program only builds for
// little-endian hosts (platform/little_endian.h), so turning a field around
// is simply reversing its bytes. These are the only byte shuffles of the FRM
// writer; they work in place on a copy of a record.
#ifndef GIF2FRM_FRM_BYTE_ORDER_H_
#define GIF2FRM_FRM_BYTE_ORDER_H_

#include <cstdint>
#include <utility>

#include "platform/little_endian.h"

// Exchanges the 2 bytes at field and returns field.
inline void* swapWord(void* field) {
  auto* bytes = static_cast<std::uint8_t*>(field);
  std::swap(bytes[0], bytes[1]);
  return field;
}

// Reverses the 4 bytes at field and returns field.
inline void* swapDword(void* field) {
  auto* bytes = static_cast<std::uint8_t*>(field);
  std::swap(bytes[0], bytes[3]);
  std::swap(bytes[1], bytes[2]);
  return field;
}

#endif  // GIF2FRM_FRM_BYTE_ORDER_H_
