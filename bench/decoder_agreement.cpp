#include "bench/decoder_agreement.h"

#include <cstring>

#include "bench/giflib_decode.h"
#include "gif/gif_file.h"

namespace bench {

Agreement compareDecoders(const std::uint8_t* bytes, std::size_t size) {
  Agreement agreement;
  GifFile ours;
  GifInput input(bytes, size);
  agreement.oursOk = ours.load(input) == GifStatus::Ok;
  agreement.frames = static_cast<std::uint32_t>(ours.frames.size());
  for (const GifFrame& frame : ours.frames)
    agreement.pixels += frame.pixelCount();

  const GiflibGif theirs(bytes, size);
  agreement.giflibOk = theirs.ok();
  if (!agreement.oursOk || !agreement.giflibOk ||
      static_cast<int>(ours.frames.size()) != theirs.imageCount()) {
    return agreement;
  }
  agreement.samePixels = true;
  for (std::size_t i = 0; i < ours.frames.size(); ++i) {
    const GifFrame& frame = ours.frames[i];
    const SavedImage& image = theirs.image(static_cast<int>(i));
    const bool same =
        frame.width() == static_cast<std::uint32_t>(image.ImageDesc.Width) &&
        frame.height() == static_cast<std::uint32_t>(image.ImageDesc.Height) &&
        frame.pixelsDelivered == frame.pixelCount() &&
        (frame.pixelCount() == 0 ||
         std::memcmp(frame.pixels.data(), image.RasterBits,
                     frame.pixelCount()) == 0);
    agreement.samePixels = agreement.samePixels && same;
  }
  return agreement;
}

}  // namespace bench
