#include "gif/encoder/code_stream.h"

#include <algorithm>
#include <stdexcept>

namespace gifenc {

std::vector<std::uint8_t> packBits(const std::vector<Code>& codes) {
  std::vector<std::uint8_t> out;
  std::uint32_t acc = 0;  // bits not yet written, lowest first
  int accBits = 0;
  for (const Code& c : codes) {
    if (c.width < 1 || c.width > 16) {
      throw std::invalid_argument("code width must be 1 to 16");
    }
    const std::uint32_t mask = (1u << c.width) - 1u;
    acc |= (static_cast<std::uint32_t>(c.value) & mask) << accBits;
    accBits += c.width;
    while (accBits >= 8) {
      out.push_back(static_cast<std::uint8_t>(acc & 0xFFu));
      acc >>= 8;
      accBits -= 8;
    }
  }
  if (accBits > 0) out.push_back(static_cast<std::uint8_t>(acc & 0xFFu));
  return out;
}

std::vector<std::uint8_t> toSubBlocks(const std::vector<std::uint8_t>& data,
                                      std::size_t maxSize) {
  if (maxSize < 1 || maxSize > 255) {
    throw std::invalid_argument("sub-block size must be 1 to 255");
  }
  std::vector<std::uint8_t> out;
  for (std::size_t pos = 0; pos < data.size(); pos += maxSize) {
    const std::size_t n = std::min(maxSize, data.size() - pos);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(pos),
               data.begin() + static_cast<std::ptrdiff_t>(pos + n));
  }
  return out;
}

SubBlockWriter::SubBlockWriter(std::vector<std::uint8_t>& out,
                               std::size_t subBlockSize)
    : out_(out), subBlockSize_(subBlockSize) {
  if (subBlockSize < 1 || subBlockSize > 255) {
    throw std::invalid_argument("sub-block size must be 1 to 255");
  }
}

void SubBlockWriter::code(std::uint16_t value, int width) {
  if (width < 1 || width > 16) {
    throw std::invalid_argument("code width must be 1 to 16");
  }
  const std::uint32_t mask = (1u << width) - 1u;
  acc_ |= (static_cast<std::uint32_t>(value) & mask) << accBits_;
  accBits_ += width;
  while (accBits_ >= 8) {
    putByte(static_cast<std::uint8_t>(acc_ & 0xFFu));
    acc_ >>= 8;
    accBits_ -= 8;
  }
}

void SubBlockWriter::finish() {
  if (accBits_ > 0) putByte(static_cast<std::uint8_t>(acc_ & 0xFFu));
  acc_ = 0;
  accBits_ = 0;
  if (blockLength_ > 0) {
    out_[blockStart_] = static_cast<std::uint8_t>(blockLength_);
    blockLength_ = 0;
  }
}

void SubBlockWriter::putByte(std::uint8_t byte) {
  if (blockLength_ == 0) {
    blockStart_ = out_.size();
    out_.push_back(0);  // the length, set when the sub-block closes
  }
  out_.push_back(byte);
  if (++blockLength_ == subBlockSize_) {
    out_[blockStart_] = static_cast<std::uint8_t>(blockLength_);
    blockLength_ = 0;
  }
}

CodeStream::CodeStream(std::uint8_t minCodeSize, std::size_t subBlockSize)
    : subBlockSize_(subBlockSize), out_{minCodeSize} {
  if (subBlockSize < 1 || subBlockSize > 255) {
    throw std::invalid_argument("sub-block size must be 1 to 255");
  }
}

CodeStream& CodeStream::code(std::uint16_t value, int width) {
  pending_.push_back(Code{value, width});
  return *this;
}

CodeStream& CodeStream::codes(const std::vector<Code>& list) {
  pending_.insert(pending_.end(), list.begin(), list.end());
  return *this;
}

CodeStream& CodeStream::flush() {
  const std::vector<std::uint8_t> blocks =
      toSubBlocks(packBits(pending_), subBlockSize_);
  out_.insert(out_.end(), blocks.begin(), blocks.end());
  pending_.clear();
  return *this;
}

CodeStream& CodeStream::raw(const std::vector<std::uint8_t>& data) {
  flush();
  out_.insert(out_.end(), data.begin(), data.end());
  return *this;
}

std::vector<std::uint8_t> CodeStream::bytes(bool terminator) {
  flush();
  std::vector<std::uint8_t> result = out_;
  if (terminator) result.push_back(0);
  return result;
}

}  // namespace gifenc
