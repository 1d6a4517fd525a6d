// A sprite made from one decoded image, or from six of one direction each:
// how many images it takes, whether each one fits the format and the images
// before it, and its frames put into the FRM image as soon as it is decoded,
// so that the pixels of one input at a time are in memory besides the
// sprite.
#ifndef GIF2FRM_CONVERTER_SPRITE_ASSEMBLY_H_
#define GIF2FRM_CONVERTER_SPRITE_ASSEMBLY_H_

#include <cstdint>
#include <string>

#include "frm/frm_image.h"
#include "gif2frm/frame_assembly.h"
#include "gif2frm/frame_colors.h"
#include "gif2frm/indexed_maps.h"
#include "gif2frm/options.h"
#include "gif2frm/run_colors.h"
#include "gif2frm/source_image.h"

class SpriteAssembly {
 public:
  // image is freshly constructed; add() fills it. palette: the colours of
  // -p='s file, or null for the built-in palette; it must outlive this.
  SpriteAssembly(const Options& options, FrmImage& image,
                 const PaletteColors* palette = nullptr);
  SpriteAssembly(const SpriteAssembly&) = delete;
  SpriteAssembly& operator=(const SpriteAssembly&) = delete;

  // How many inputs the sprite is made from, in the order add() takes them:
  // with -1= to -5= six (the input first, then those five in their order),
  // otherwise one (with -6 it holds all six directions).
  int inputCount() const;

  // The run's colour matching, and the maps of the input being decoded and
  // added: a reader may match pixels through them as it decodes
  // (GifDecodeMatching).
  RunColors& colors() { return colors_; }
  const Options& options() const { return options_; }
  IndexedMaps& maps() { return maps_; }

  // Takes the next input of the sprite, decoded. In this order: it must hold
  // an image; with -6 the image count must divide by six; the first input
  // sets the frames per direction, which must be 65,535 or fewer, and -a=
  // must name one of them; each later input must hold as many images; all
  // frames together must fit a frame area of 4,294,967,295 bytes. Only then
  // are its colours matched and its frames put into the image, their pixel
  // blocks taken over or freed. Ok when they are in place; otherwise what
  // ends the run, with detail() holding the number its message names.
  SpriteStatus add(SourceImage& source);

  // After ImagesNotDivisible the image count, after ActionFrameOutOfRange
  // the action frame; empty otherwise.
  const std::string& detail() const { return detail_; }

 private:
  SpriteStatus addImage(SourceImage& source);
  SpriteStatus checkFirst(const SourceImage& source);
  SpriteStatus checkLater(const SourceImage& source) const;

  const Options& options_;
  FrmImage& image_;
  RunColors colors_;  // one palette and one match setup for all inputs
  IndexedMaps maps_;  // the maps of the input being decoded and added
  FrameColors frameColors_;
  DirectionLayout layout_;
  int added_ = 0;                // inputs put into the image so far
  std::uint64_t frameArea_ = 0;  // the frame area they take
  std::string detail_;
};

#endif  // GIF2FRM_CONVERTER_SPRITE_ASSEMBLY_H_
