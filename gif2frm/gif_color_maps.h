// The colour maps of one GIF's conversion: the global table's map and the
// local one, which a local table smaller than an earlier one leaves holding
// the earlier table's entries above its count. The same object serves the
// reader, which stores each image's pixels already mapped when it can (see
// PixelTranslation), and the frame assembly, which maps the images the
// reader left as GIF indices.
//
// A colour table that cannot be matched is not reported here: the reader
// then stores that image and every later one as GIF indices, and the frame
// assembly, which translates them again in its own order, meets the failure
// after the whole GIF has been read and checked, as it always has.
#ifndef GIF2FRM_CONVERTER_GIF_COLOR_MAPS_H_
#define GIF2FRM_CONVERTER_GIF_COLOR_MAPS_H_

#include <cstdint>

#include "color/color_map.h"
#include "gif/gif_file.h"
#include "gif/pixel_translation.h"
#include "gif2frm/run_colors.h"
#include "platform/byte_buffer.h"

class GifColorMaps : public PixelTranslation {
 public:
  // colors must outlive this object.
  explicit GifColorMaps(const RunColors& colors) : colors_(colors) {}
  GifColorMaps(const GifColorMaps&) = delete;
  GifColorMaps& operator=(const GifColorMaps&) = delete;

  // Ready for the next GIF: both maps 0 in every entry, nothing translated.
  void restart();

  // For the reader: the image's map with its transparent index folded in
  // (stored as 0), or null when its pixels must stay GIF indices: when
  // pixels are dithered, and from the first colour table without a match on.
  const std::uint8_t* tableFor(const GifFile& gif,
                               const GifFrame& image) override;

  // For the frame assembly. The global table's map, translated unless the
  // reader has done so already; false when a colour has no match.
  bool translateGlobal(const GifFile& gif);
  const ColorMap& globalMap() const { return globalMap_; }
  // The map of an image the reader left as GIF indices: its local table
  // translated into the local map, or the global map. Null when a colour of
  // its local table has no match.
  const ColorMap* mapFor(const GifFrame& image);

 private:
  bool translate(ColorMap& map, const platform::ByteBuffer& table,
                 int entryCount) const;

  const RunColors& colors_;
  ColorMap globalMap_{};
  ColorMap localMap_{};
  bool globalTranslated_ = false;
  bool readerStopped_ = false;
  std::uint8_t table_[256] = {};
};

#endif  // GIF2FRM_CONVERTER_GIF_COLOR_MAPS_H_
