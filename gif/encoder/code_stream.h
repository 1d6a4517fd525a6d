// Hand-made GIF image data: LZW codes with explicit bit widths, packed least
// significant bit first (GIF89a standard, appendix F) and cut into data
// sub-blocks of a chosen size. Tests use this to build exact code streams,
// including malformed ones.
#ifndef GIF2FRM_GIF_ENCODER_CODE_STREAM_H_
#define GIF2FRM_GIF_ENCODER_CODE_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gifenc {

// One code of the stream and the number of bits it takes (1 to 16).
struct Code {
  std::uint16_t value = 0;
  int width = 0;
};

// Packs the codes into bytes, least significant bit first; a code that
// spans bytes puts its low bits in the earlier byte. The last byte is padded
// with zero bits.
std::vector<std::uint8_t> packBits(const std::vector<Code>& codes);

// Cuts data into sub-blocks of at most maxSize bytes (1 to 255), each
// preceded by its length byte. No block terminator is added.
std::vector<std::uint8_t> toSubBlocks(const std::vector<std::uint8_t>& data,
                                      std::size_t maxSize = 255);

// Packs codes as packBits() does and cuts the bytes into sub-blocks as
// toSubBlocks() does, as the codes come, so that a long stream is never held
// twice: every byte goes straight to the end of out.
class SubBlockWriter {
 public:
  // subBlockSize is 1 to 255.
  SubBlockWriter(std::vector<std::uint8_t>& out, std::size_t subBlockSize);

  // width is 1 to 16.
  void code(std::uint16_t value, int width);
  // Pads the pending bits to a whole byte and closes the last sub-block.
  void finish();

 private:
  void putByte(std::uint8_t byte);

  std::vector<std::uint8_t>& out_;
  std::size_t subBlockSize_;
  std::size_t blockStart_ = 0;   // where the open sub-block's length byte is
  std::size_t blockLength_ = 0;  // 0: no sub-block open
  std::uint32_t acc_ = 0;        // bits not yet written, lowest first
  int accBits_ = 0;
};

// Builds one image data block: the minimum code size byte, sub-blocks of
// codes, raw bytes where the caller wants them, and the block terminator.
//
//   auto data = CodeStream(2, 3).codes({{4, 3}, {1, 3}, {5, 3}}).bytes();
//
// Codes accumulate until flush(), raw() or bytes(); then the pending bits are
// padded to a whole byte and written as sub-blocks of at most subBlockSize
// bytes. Codes added after a flush start at a fresh byte in a fresh
// sub-block.
class CodeStream {
 public:
  // minCodeSize is written as given, so that invalid sizes can be tested.
  explicit CodeStream(std::uint8_t minCodeSize, std::size_t subBlockSize = 255);

  CodeStream& code(std::uint16_t value, int width);
  CodeStream& codes(const std::vector<Code>& list);
  // Writes the pending codes as sub-blocks now.
  CodeStream& flush();
  // Flushes, then appends bytes verbatim (an empty sub-block, junk, ...).
  CodeStream& raw(const std::vector<std::uint8_t>& data);

  // Flushes and returns everything, followed by the 0 block terminator when
  // terminator is true.
  std::vector<std::uint8_t> bytes(bool terminator = true);

 private:
  std::size_t subBlockSize_;
  std::vector<std::uint8_t> out_;
  std::vector<Code> pending_;
};

}  // namespace gifenc

#endif  // GIF2FRM_GIF_ENCODER_CODE_STREAM_H_
