#include "png/png_input.h"

#include <cstring>

bool PngInput::refill(std::size_t& fresh) {
  if (closed_ || source_ == nullptr) {
    closed_ = true;
    return false;
  }
  const std::size_t unread = writeIndex_ - readIndex_;
  if (readIndex_ != 0) {
    std::memmove(buffer_, buffer_ + readIndex_, unread);
    windowPosition_ += readIndex_;
    readIndex_ = 0;
    writeIndex_ = unread;
  }
  fresh = writeIndex_;
  // A full window cannot take more: the decoder asked for more than a window
  // holds, which it never does; it is taken as the end of the data.
  const std::size_t got =
      writeIndex_ == capacity_
          ? 0
          : source_->readSome(buffer_ + writeIndex_, capacity_ - writeIndex_);
  if (got == 0) {
    closed_ = true;
    return false;
  }
  writeIndex_ += got;
  return true;
}
