#include "gif/encoder/gif_builder.h"

#include <algorithm>

#include "gif/encoder/code_stream.h"
#include "gif/encoder/lzw_encoder.h"

namespace gifenc {
namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;

// Bits needed to write values up to maxValue.
int bitsFor(std::size_t maxValue) {
  int bits = 0;
  while ((std::size_t{1} << bits) <= maxValue) ++bits;
  return bits;
}

// Fixed-length text field of an extension header.
std::vector<std::uint8_t> field(const std::string& text, std::size_t length) {
  std::vector<std::uint8_t> out(text.begin(), text.end());
  out.resize(length, ' ');
  return out;
}

}  // namespace

std::uint8_t tableSizeField(std::size_t count) {
  const int bits = std::max(1, bitsFor(count > 0 ? count - 1 : 0));
  return static_cast<std::uint8_t>(std::min(bits, 8) - 1);
}

std::vector<std::uint32_t> interlacedRowOrder(std::uint32_t height) {
  struct Pass {
    std::uint32_t start;
    std::uint32_t step;
  };
  constexpr Pass kPasses[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
  std::vector<std::uint32_t> rows;
  rows.reserve(height);
  for (const Pass& pass : kPasses) {
    for (std::uint32_t row = pass.start; row < height; row += pass.step) {
      rows.push_back(row);
    }
  }
  return rows;
}

GifBuilder& GifBuilder::header(const std::string& version) {
  raw({'G', 'I', 'F'});
  out_.insert(out_.end(), version.begin(), version.end());
  return *this;
}

GifBuilder& GifBuilder::screen(const Screen& s) {
  put16(s.width);
  put16(s.height);
  const bool hasTable = !s.globalColors.empty();
  const int resolution = std::clamp<int>(s.colorResolution, 1, 8) - 1;
  int packed = resolution << 4;
  if (hasTable) packed |= 0x80 | tableSizeField(s.globalColors.size());
  if (s.sorted) packed |= 0x08;
  out_.push_back(static_cast<std::uint8_t>(packed));
  out_.push_back(s.background);
  out_.push_back(0);  // pixel aspect ratio: none given
  globalTableSize_ = 0;
  if (hasTable) {
    putTable(s.globalColors);
    globalTableSize_ = std::size_t{2} << tableSizeField(s.globalColors.size());
  }
  return *this;
}

GifBuilder& GifBuilder::graphicControl(const GraphicControl& gc) {
  int packed = (gc.disposal & 0x07) << 2;
  if (gc.userInput) packed |= 0x02;
  if (gc.transparent) packed |= 0x01;
  raw({kExtensionIntroducer, 0xF9, 4, static_cast<std::uint8_t>(packed)});
  put16(gc.delay);
  raw({gc.transparentIndex, 0});
  return *this;
}

GifBuilder& GifBuilder::comment(const std::string& text) {
  return extension(0xFE, std::vector<std::uint8_t>(text.begin(), text.end()));
}

GifBuilder& GifBuilder::application(const std::string& identifier,
                                    const std::string& authentication,
                                    const std::vector<std::uint8_t>& data) {
  raw({kExtensionIntroducer, 0xFF, 11});
  raw(field(identifier, 8));
  raw(field(authentication, 3));
  raw(toSubBlocks(data));
  out_.push_back(0);
  return *this;
}

GifBuilder& GifBuilder::loop(std::uint16_t count) {
  return application("NETSCAPE", "2.0",
                     {1, static_cast<std::uint8_t>(count & 0xFF),
                      static_cast<std::uint8_t>(count >> 8)});
}

GifBuilder& GifBuilder::plainText(const PlainText& pt) {
  raw({kExtensionIntroducer, 0x01, 12});
  put16(pt.left);
  put16(pt.top);
  put16(pt.width);
  put16(pt.height);
  raw({pt.cellWidth, pt.cellHeight, pt.foreground, pt.background});
  raw(toSubBlocks(std::vector<std::uint8_t>(pt.text.begin(), pt.text.end())));
  out_.push_back(0);
  return *this;
}

GifBuilder& GifBuilder::extension(std::uint8_t label,
                                  const std::vector<std::uint8_t>& data) {
  raw({kExtensionIntroducer, label});
  raw(toSubBlocks(data));
  out_.push_back(0);
  return *this;
}

GifBuilder& GifBuilder::imageHeader(const Image& image) {
  out_.push_back(kImageSeparator);
  put16(image.left);
  put16(image.top);
  put16(image.width);
  put16(image.height);
  const bool hasTable = !image.localColors.empty();
  int packed = 0;
  if (hasTable) packed |= 0x80 | tableSizeField(image.localColors.size());
  if (image.interlaced) packed |= 0x40;
  out_.push_back(static_cast<std::uint8_t>(packed));
  if (hasTable) putTable(image.localColors);
  return *this;
}

GifBuilder& GifBuilder::image(const Image& image) {
  return this->image(image, image.pixels.data(), image.pixels.size());
}

GifBuilder& GifBuilder::image(const Image& image, const std::uint8_t* pixels,
                              std::size_t count) {
  const int minCodeSize = minCodeSizeFor(image, pixels, count);
  imageHeader(image);
  const LzwOptions options{image.clearWhenFull, image.subBlockSize};
  if (!image.interlaced || image.width == 0) {
    appendImageData(pixels, count, minCodeSize, options, out_);
    return *this;
  }
  std::vector<std::uint8_t> stream;
  stream.reserve(count);
  for (std::uint32_t row : interlacedRowOrder(image.height)) {
    const std::size_t begin = std::size_t{row} * image.width;
    if (begin >= count) continue;
    const std::size_t end = std::min(begin + image.width, count);
    stream.insert(stream.end(), pixels + begin, pixels + end);
  }
  appendImageData(stream.data(), stream.size(), minCodeSize, options, out_);
  return *this;
}

GifBuilder& GifBuilder::raw(const std::vector<std::uint8_t>& data) {
  out_.insert(out_.end(), data.begin(), data.end());
  return *this;
}

std::vector<std::uint8_t> GifBuilder::take() {
  std::vector<std::uint8_t> result;
  result.swap(out_);
  globalTableSize_ = 0;
  return result;
}

GifBuilder& GifBuilder::trailer() {
  out_.push_back(kTrailer);
  return *this;
}

void GifBuilder::put16(std::uint16_t v) {
  out_.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void GifBuilder::putTable(const ColorTable& table) {
  const std::size_t size = std::size_t{2} << tableSizeField(table.size());
  for (std::size_t i = 0; i < size; ++i) {
    const Rgb c = i < table.size() ? table[i] : Rgb{};
    raw({c.r, c.g, c.b});
  }
}

int GifBuilder::minCodeSizeFor(const Image& image, const std::uint8_t* pixels,
                               std::size_t count) const {
  if (image.minCodeSize != 0) return image.minCodeSize;
  std::size_t tableSize = globalTableSize_;
  if (!image.localColors.empty()) {
    tableSize = std::size_t{2} << tableSizeField(image.localColors.size());
  }
  std::size_t maxPixel = tableSize > 0 ? tableSize - 1 : 0;
  for (std::size_t i = 0; i < count; ++i) {
    maxPixel = std::max<std::size_t>(maxPixel, pixels[i]);
  }
  return std::max(2, bitsFor(maxPixel));
}

}  // namespace gifenc
