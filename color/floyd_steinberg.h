// Floyd-Steinberg error diffusion of one image onto the palette entries
// 1..228: each pixel takes the entry nearest (CIE76) to its colour plus the
// error carried to it, and passes its own error on, 7/16 to the right, 3/16,
// 5/16 and 1/16 to the row below (left, under, right), in raster order. The
// error is measured and carried in linear light (LinearLight's fixed point),
// so that a pattern of light and dark entries blends, as the eye sees it, to
// the brightness of the colour it stands for. Error that would reach past
// the image's edges, or reach a pixel that is not diffused, is dropped.
#ifndef GIF2FRM_COLOR_FLOYD_STEINBERG_H_
#define GIF2FRM_COLOR_FLOYD_STEINBERG_H_

#include <cstdint>

#include "color/color_map.h"
#include "color/linear_light.h"
#include "color/palette_lab.h"
#include "platform/byte_buffer.h"

// The nearest entry for the colours that error diffusion produces, looked up
// at 6 bits per component and found the first time a cell is asked for. A
// cell's entry is the nearest to the cell's own colour (each component
// widened as a palette component is), so a colour that is exactly a palette
// entry gets that entry. Lives for a run: it depends on the palette only.
class NearestCache {
 public:
  explicit NearestCache(const PaletteLab& lab) : lab_(lab) {}

  // The cells, empty; false when the memory cannot be had.
  bool allocate();
  bool allocated() const { return !cells_.isNull(); }

  // The entry for an 8-bit colour.
  std::uint8_t lookup(std::uint32_t red, std::uint32_t green,
                      std::uint32_t blue) {
    return lookupSixBit(red >> 2, green >> 2, blue >> 2);
  }
  // The same for a colour of 6-bit components.
  std::uint8_t lookupSixBit(std::uint32_t red, std::uint32_t green,
                            std::uint32_t blue) {
    const std::uint32_t cell = red << 12 | green << 6 | blue;
    const std::uint8_t entry = cells_.data()[cell];
    return entry != 0 ? entry : fill(cell, red, green, blue);
  }

  const PaletteLab& lab() const { return lab_; }

 private:
  std::uint8_t fill(std::uint32_t cell, std::uint32_t red, std::uint32_t green,
                    std::uint32_t blue);

  const PaletteLab& lab_;
  platform::ByteBuffer cells_;  // 64 x 64 x 64 entries; 0: not found yet
};

// One image, row by row from the top, each row given once: rows of GIF
// indices into a colour table (start, row), or rows of 8-bit red, green,
// blue, alpha (startRgba, rowRgba).
class FloydSteinberg {
 public:
  explicit FloydSteinberg(NearestCache& cache)
      : cache_(cache), linear_(LinearLight::tables()) {}

  // Starts an image of width pixels a row whose GIF indices below entryCount
  // are the colours of table (3 bytes each). A colour whose 6-bit reduction
  // (div 4) is a palette entry's colour is taken as that entry's widened
  // colour, so that it carries no error of its own. Pixels of the
  // transparent index (when transparent is set) become 0; indices at or
  // above entryCount, which have no colour, become what map holds for them.
  // Neither kind takes or passes on error. False when the memory for the
  // error rows cannot be had.
  bool start(std::uint32_t width, const std::uint8_t* table,
             std::uint32_t entryCount, const ColorMap& map, bool transparent,
             std::uint8_t transparentIndex);

  // Diffuses the next row: the first delivered pixels of source are GIF
  // indices; the rest of the row was never decoded, becomes 0 and counts as
  // transparent. out may be source itself: each pixel is read before it is
  // written.
  void row(const std::uint8_t* source, std::uint32_t delivered,
           std::uint8_t* out);

  // Starts an image of width pixels a row of 4 bytes each, red, green, blue,
  // alpha. A pixel whose alpha is below alphaThreshold is transparent:
  // it becomes 0 and neither takes nor passes on error. Other pixels are
  // opaque, of their colour as stored; one whose 6-bit reduction is a
  // palette entry's colour is taken as that entry, as in start. False when
  // the memory for the error rows cannot be had.
  bool startRgba(std::uint32_t width, std::uint32_t alphaThreshold);

  // Diffuses the next row of such pixels, the first delivered of which were
  // decoded; the rest become 0 and count as transparent. out has width
  // bytes.
  void rowRgba(const std::uint8_t* rgba, std::uint32_t delivered,
               std::uint8_t* out);

 private:
  // What a GIF index's pixels do.
  enum Kind : std::uint8_t {
    kDiffused,  // take the nearest entry to their colour plus the error
    kExact,     // the same, but their colour is exactly entry fixed_[index]
    kFixed,     // become fixed_[index]; take and pass on no error
  };

  // Maps pixels from x up to end where no error arrives, until the first
  // whose index is diffused; returns where that one stands, or end.
  std::uint32_t mapQuiet(const std::uint8_t* source, std::uint8_t* out,
                         std::uint32_t x, std::uint32_t end) const;

  // Both kinds of start: the error rows, all 0, and the entries' colours.
  bool startRows(std::uint32_t width);
  // Pixel x of a row takes its colour (in linear light) plus the error that
  // reaches it, and passes its own error on; returns its entry.
  std::uint8_t diffuse(const std::int32_t color[3], std::uint32_t x,
                       std::int32_t carry[3]);
  // After a row: the row above is used up, the row below becomes it.
  void endRow(std::uint32_t firstDiffused, std::uint32_t lastDiffused,
              std::uint32_t delivered);

  NearestCache& cache_;
  std::uint32_t width_ = 0;
  Kind kind_[256] = {};
  std::uint8_t fixed_[256] = {};
  // Each GIF index's colour and each entry's widened colour, in linear
  // light.
  std::int32_t scaled_[256][3] = {};
  std::int32_t widened_[256][3] = {};
  // Two rows of error, 3 components a pixel and one pixel of margin at each
  // end (which takes what falls off the image there), in linear light: the
  // one the current row takes from above, and the one it fills
  // for the next row. The latter is all 0 when a row starts; the former may
  // be other than 0 only from pixel aboveFirst_ to aboveEnd_ (margin
  // counted), where the row before wrote it.
  platform::ByteBuffer errors_;
  std::int32_t* above_ = nullptr;
  std::int32_t* below_ = nullptr;
  std::uint32_t aboveFirst_ = 0;
  std::uint32_t aboveEnd_ = 0;
  std::uint32_t alphaThreshold_ = 0;
  const LinearLight& linear_;
};

#endif  // GIF2FRM_COLOR_FLOYD_STEINBERG_H_
