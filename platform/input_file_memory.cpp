#include <cstring>

#include "platform/input_file.h"
#include "platform/memory_files.h"

namespace platform {

bool InputFile::open(const char* path) {
  close();
  const ByteBuffer* file = memory_files::findInput(path);
  if (file == nullptr) return false;
  data_ = file->data();
  size_ = file->size();
  position_ = 0;
  reported_ = 0;
  failed_ = false;
  return true;
}

bool InputFile::size(std::uint64_t& bytes) const {
  if (data_ == nullptr) return false;
  bytes = size_;
  return true;
}

std::size_t InputFile::readSome(std::uint8_t* buffer, std::size_t size) {
  if (data_ == nullptr) return 0;
  std::size_t left = size_ - position_;
  std::size_t got = size < left ? size : left;
  if (got != 0) std::memcpy(buffer, data_ + position_, got);
  position_ += got;
  if (position_ - reported_ >= memory_files::kReadReportStep ||
      (got != 0 && position_ == size_)) {
    memory_files::reportRead(position_ - reported_);
    reported_ = position_;
  }
  return got;
}

bool InputFile::isOpen() const { return data_ != nullptr; }

void InputFile::close() {
  data_ = nullptr;
  size_ = 0;
  position_ = 0;
  reported_ = 0;
}

}  // namespace platform
