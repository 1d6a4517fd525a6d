// Assembles GIF files block by block (GIF89a standard): frm2gif's animations,
// test files and example data. Nothing is validated beyond what is needed to
// lay the bytes out, and raw() puts arbitrary bytes anywhere, so broken files
// can be built as easily as good ones.
#ifndef GIF2FRM_GIF_ENCODER_GIF_BUILDER_H_
#define GIF2FRM_GIF_ENCODER_GIF_BUILDER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gifenc {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
};

// A colour table is written padded with black to a power of two, at least 2
// entries and at most 256.
using ColorTable = std::vector<Rgb>;

struct Screen {
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  ColorTable globalColors;  // empty: no global colour table
  std::uint8_t background = 0;
  std::uint8_t colorResolution = 8;  // bits per primary, 1 to 8
  bool sorted = false;
};

struct GraphicControl {
  std::uint8_t disposal = 0;  // 0 to 7
  bool userInput = false;
  bool transparent = false;
  std::uint8_t transparentIndex = 0;
  std::uint16_t delay = 0;  // hundredths of a second
};

struct PlainText {
  std::uint16_t left = 0;
  std::uint16_t top = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint8_t cellWidth = 8;
  std::uint8_t cellHeight = 8;
  std::uint8_t foreground = 1;
  std::uint8_t background = 0;
  std::string text;
};

struct Image {
  std::uint16_t left = 0;
  std::uint16_t top = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  ColorTable localColors;  // empty: no local colour table
  bool interlaced = false;
  // Row-major, width * height, in display order; an interlaced image is
  // reordered into the four passes when written.
  std::vector<std::uint8_t> pixels;
  // 0: the bits of the colour table in use (local, else global), at least 2
  // and enough for every pixel.
  int minCodeSize = 0;
  bool clearWhenFull = true;
  std::size_t subBlockSize = 255;
};

// The display rows of an interlaced image of the given height, in the order
// the image data holds them: 0, 8, 16, ...; 4, 12, ...; 2, 6, ...; 1, 3, ....
std::vector<std::uint32_t> interlacedRowOrder(std::uint32_t height);

class GifBuilder {
 public:
  // "GIF" followed by version, normally "87a" or "89a".
  GifBuilder& header(const std::string& version = "89a");
  // Logical screen descriptor and global colour table.
  GifBuilder& screen(const Screen& s);
  GifBuilder& graphicControl(const GraphicControl& gc);
  GifBuilder& comment(const std::string& text);
  // Application extension: 8-byte identifier, 3-byte authentication code
  // (both padded with spaces or cut), data as sub-blocks.
  GifBuilder& application(const std::string& identifier,
                          const std::string& authentication,
                          const std::vector<std::uint8_t>& data);
  // The common looping extension; 0 loops forever.
  GifBuilder& loop(std::uint16_t count = 0);
  GifBuilder& plainText(const PlainText& pt);
  // Any extension: introducer, label, data as sub-blocks, terminator.
  GifBuilder& extension(std::uint8_t label,
                        const std::vector<std::uint8_t>& data);
  // Image descriptor and local colour table only, for images whose data the
  // caller supplies with raw().
  GifBuilder& imageHeader(const Image& image);
  // Image descriptor, local colour table and LZW-compressed pixels.
  GifBuilder& image(const Image& image);
  // The same with the count pixels at pixels in place of image.pixels
  // (ignored), which are read where they are unless the image is interlaced.
  GifBuilder& image(const Image& image, const std::uint8_t* pixels,
                    std::size_t count);
  GifBuilder& raw(const std::vector<std::uint8_t>& data);
  GifBuilder& trailer();

  const std::vector<std::uint8_t>& bytes() const { return out_; }
  // Hands the bytes over without copying them; the builder is left empty.
  std::vector<std::uint8_t> take();

 private:
  void put16(std::uint16_t v);
  void putTable(const ColorTable& table);
  int minCodeSizeFor(const Image& image, const std::uint8_t* pixels,
                     std::size_t count) const;

  std::vector<std::uint8_t> out_;
  std::size_t globalTableSize_ = 0;
};

// The size field n of a colour table of count entries: 2^(n+1) >= count.
std::uint8_t tableSizeField(std::size_t count);

}  // namespace gifenc

#endif  // GIF2FRM_GIF_ENCODER_GIF_BUILDER_H_
