#ifndef GIF2FRM_GIF_LZW_STATUS_H_
#define GIF2FRM_GIF_LZW_STATUS_H_

#include <cstdint>

// Result of LzwDecoder::decode. Every failure is negative; callers test the
// sign.
enum class LzwStatus : std::int16_t {
  Ok = 0,                 // the data ended, by its end code or otherwise
  ReadFailed = -1,        // the minimum code size byte could not be read
  PixelOverflow = -2,     // a line would not fit in the frame's pixels
  NoMemory = -10,         // the line buffer could not be allocated
  BadCodeSize = -20,      // a minimum code size below 2 or above 9
  DictionaryCycle = -30,  // a corrupt dictionary links a string into a loop
};

inline bool failed(LzwStatus status) {
  return static_cast<std::int16_t>(status) < 0;
}

#endif  // GIF2FRM_GIF_LZW_STATUS_H_
