// Whether our reader and giflib accept a GIF and decode it to the same
// pixels: a speed comparison means nothing for a file on which they differ.
#ifndef GIF2FRM_BENCH_DECODER_AGREEMENT_H_
#define GIF2FRM_BENCH_DECODER_AGREEMENT_H_

#include <cstddef>
#include <cstdint>

namespace bench {

struct Agreement {
  bool oursOk = false;    // GifFile::load reached the trailer
  bool giflibOk = false;  // DGifSlurp succeeded
  // Both ok, the same number of images, and every image complete in ours and
  // equal to giflib's index for index.
  bool samePixels = false;
  std::uint64_t pixels = 0;  // sum of width x height of our frames
  std::uint32_t frames = 0;  // our frame count
};

Agreement compareDecoders(const std::uint8_t* bytes, std::size_t size);

}  // namespace bench

#endif  // GIF2FRM_BENCH_DECODER_AGREEMENT_H_
