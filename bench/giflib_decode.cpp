#include "bench/giflib_decode.h"

#include <algorithm>
#include <cstring>

namespace bench {

GiflibGif::GiflibGif(const std::uint8_t* bytes, std::size_t size)
    : reader_{bytes, size, 0} {
  int error = 0;
  gif_ = DGifOpen(&reader_, &GiflibGif::read, &error);
  ok_ = gif_ != nullptr && DGifSlurp(gif_) == GIF_OK;
}

GiflibGif::~GiflibGif() {
  int error = 0;
  if (gif_ != nullptr) DGifCloseFile(gif_, &error);
}

int GiflibGif::read(GifFileType* gif, GifByteType* out, int count) {
  Reader& reader = *static_cast<Reader*>(gif->UserData);
  const std::size_t available = reader.size - reader.position;
  const std::size_t n =
      std::min(available, static_cast<std::size_t>(std::max(count, 0)));
  std::memcpy(out, reader.bytes + reader.position, n);
  reader.position += n;
  return static_cast<int>(n);
}

int GiflibGif::imageCount() const {
  return gif_ != nullptr ? gif_->ImageCount : 0;
}

const SavedImage& GiflibGif::image(int index) const {
  return gif_->SavedImages[index];
}

std::uint64_t GiflibGif::pixels() const {
  std::uint64_t total = 0;
  for (int i = 0; i < imageCount(); ++i) {
    const GifImageDesc& desc = image(i).ImageDesc;
    total += static_cast<std::uint64_t>(desc.Width) *
             static_cast<std::uint64_t>(desc.Height);
  }
  return total;
}

}  // namespace bench
