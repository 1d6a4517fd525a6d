// Host order to the FRM file's big-endian order and back. The program only
// builds for little-endian hosts (platform/little_endian.h), so turning a
// field around is simply reversing its bytes, and doing it twice gives the
// field back. These are the only byte shuffles of the FRM writer and reader;
// they work in place on a copy of a record.
#ifndef GIF2FRM_FRM_BYTE_ORDER_H_
#define GIF2FRM_FRM_BYTE_ORDER_H_

#include <cstdint>
#include <utility>

#include "frm/frm_records.h"
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

// Turns every multi-byte field of a header around: host order to file order
// before writing, file order to host order after reading.
inline void reverseFieldBytes(FrmHeader& header) {
  swapDword(&header.version);
  swapWord(&header.framesPerSecond);
  swapWord(&header.actionFrame);
  swapWord(&header.framesPerDirection);
  for (int d = 0; d < kFrmDirections; ++d) {
    swapWord(&header.shiftX[d]);
    swapWord(&header.shiftY[d]);
    swapDword(&header.dataOffset[d]);
  }
  swapDword(&header.frameAreaSize);
}

// The same for a frame header.
inline void reverseFieldBytes(FrmFrameHeader& header) {
  swapWord(&header.width);
  swapWord(&header.height);
  swapDword(&header.pixelCount);
  swapWord(&header.offsetX);
  swapWord(&header.offsetY);
}

#endif  // GIF2FRM_FRM_BYTE_ORDER_H_
