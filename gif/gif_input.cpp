#include "gif/gif_input.h"

#include <algorithm>

bool GifInput::refill(std::size_t count) {
  if (sourceDone_ || count > kLargestRead || position_ < windowStart_) {
    return false;
  }
  // A move past the window: the bytes up to the position are read and
  // dropped.
  while (position_ > windowEnd_) {
    std::size_t wanted = static_cast<std::size_t>(
        std::min<std::uint64_t>(position_ - windowEnd_, bufferSize_));
    std::size_t got = source_->readSome(buffer_, wanted);
    if (got == 0) {
      sourceDone_ = true;
      return false;
    }
    windowStart_ = windowEnd_ + got;
    windowEnd_ = windowStart_;
  }
  // Keep a few bytes behind the position, and the ones ahead of it.
  std::uint64_t keepFrom =
      std::max(windowStart_,
               position_ >= kHistory ? position_ - kHistory : std::uint64_t{0});
  std::size_t kept = static_cast<std::size_t>(windowEnd_ - keepFrom);
  std::memmove(buffer_, buffer_ + (keepFrom - windowStart_), kept);
  windowStart_ = keepFrom;
  while (windowEnd_ - position_ < count && kept < bufferSize_) {
    std::size_t got = source_->readSome(buffer_ + kept, bufferSize_ - kept);
    if (got == 0) {
      sourceDone_ = true;
      break;
    }
    kept += got;
    windowEnd_ += got;
  }
  return windowEnd_ - position_ >= count;
}
