// A GIF as the sprite assembly takes it: the logical screen is the canvas,
// the global colour table the shared one, and each image a frame with its
// descriptor's rectangle, its control extension's delay and transparent
// index, and its local colour table as its own.
#ifndef GIF2FRM_CONVERTER_GIF_SOURCE_H_
#define GIF2FRM_CONVERTER_GIF_SOURCE_H_

#include <cstdint>

#include "gif/gif_file.h"
#include "gif/pixel_translation.h"
#include "gif2frm/indexed_maps.h"
#include "gif2frm/run_colors.h"
#include "gif2frm/source_image.h"

// Describes gif's images in image, which points into gif: gif must outlive
// the description and keep its frames where they are.
void describeGif(GifFile& gif, SourceImage& image);

// Adds gif's images to image as a part of their own, after those there.
void appendGif(GifFile& gif, SourceImage& image);

// Lets the reader store each image's pixels already matched to palette
// entries, through maps, which the sprite assembly then finds matched as
// far as the reader went. Pixels that are diffused stay GIF indices, and so
// do those of ordered dithering unless every colour of the image's table is
// shown by one entry alone (palette colours are), and so
// does every image from the first colour table without a match on: the
// assembly, which matches them again in its own order, meets that failure
// after the whole GIF has been read and checked.
class GifDecodeMatching : public PixelTranslation {
 public:
  // Both must outlive this object.
  GifDecodeMatching(RunColors& colors, IndexedMaps& maps)
      : colors_(colors), maps_(maps) {}

  const std::uint8_t* tableFor(const GifFile& gif,
                               const GifFrame& image) override;

 private:
  // For ordered dithering: whether every colour of table is one entry at
  // every place of the pattern, as palette colours are; if so, those entries
  // are put in table_. Takes no memory: the decoder does not fail for it.
  bool showsEachColorAlone(const ColorTable& table);

  RunColors& colors_;
  IndexedMaps& maps_;
  bool stopped_ = false;
  std::uint8_t table_[256] = {};
};

#endif  // GIF2FRM_CONVERTER_GIF_SOURCE_H_
