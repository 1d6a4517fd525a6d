// A plain GIF LZW compressor (GIF89a standard, appendix F), for frm2gif's
// animations and for test images. It favours being obviously right over
// compressing well.
#ifndef GIF2FRM_GIF_ENCODER_LZW_ENCODER_H_
#define GIF2FRM_GIF_ENCODER_LZW_ENCODER_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gifenc {

struct LzwOptions {
  // When the dictionary fills (slot 4095 taken), emit a clear code and start
  // afresh. When false, keep going with the full dictionary and 12-bit codes.
  bool clearWhenFull = true;
  std::size_t subBlockSize = 255;
};

// The code values for pixels (each below 2^minCodeSize, minCodeSize 2 to
// 11): a clear code first, the end code last.
std::vector<std::uint16_t> lzwCodes(const std::vector<std::uint8_t>& pixels,
                                    int minCodeSize, bool clearWhenFull = true);

// The complete image data: minimum code size byte, the codes packed into
// sub-blocks, block terminator.
std::vector<std::uint8_t> encodeImageData(
    const std::vector<std::uint8_t>& pixels, int minCodeSize,
    const LzwOptions& options = {});

// The same image data for the count pixels at pixels, appended to out as
// the codes come: neither the pixels nor the codes are copied. Arguments are
// checked before anything is appended; should memory run out on the way, out
// is cut back to what it held.
void appendImageData(const std::uint8_t* pixels, std::size_t count,
                     int minCodeSize, const LzwOptions& options,
                     std::vector<std::uint8_t>& out);

}  // namespace gifenc

#endif  // GIF2FRM_GIF_ENCODER_LZW_ENCODER_H_
