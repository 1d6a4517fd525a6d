// A sprite made from one GIF, or from six GIFs of one direction each: which
// GIFs it takes, whether each one fits the format and the GIFs before it, and
// its frames put into the image as soon as it is loaded, so that the pixels
// of one GIF at a time are in memory besides the image.
#ifndef GIF2FRM_CONVERTER_SPRITE_ASSEMBLY_H_
#define GIF2FRM_CONVERTER_SPRITE_ASSEMBLY_H_

#include <cstdint>
#include <string>

#include "frm/frm_image.h"
#include "gif/gif_file.h"
#include "gif2frm/frame_assembly.h"
#include "gif2frm/messages.h"
#include "gif2frm/options.h"
#include "gif2frm/run_colors.h"

// Whether the options name a sprite that can be made: -6 or -1= to -5=, not
// both, and all five of -1= to -5= or none of them. Converted when they do;
// otherwise the outcome, with missing set to the first option left out
// ("-3=FILE") for MissingDirectionFile.
RunOutcome checkDirectionOptions(const Options& options, std::string& missing);

class SpriteAssembly {
 public:
  // image is freshly constructed; add() fills it. palette: the colours of
  // -p='s file, or null for the built-in palette; it must outlive this.
  SpriteAssembly(const Options& options, FrmImage& image,
                 const PaletteColors* palette = nullptr);
  SpriteAssembly(const SpriteAssembly&) = delete;
  SpriteAssembly& operator=(const SpriteAssembly&) = delete;

  // How many GIFs the sprite is made from, in the order add() takes them:
  // with -1= to -5= six (the input first, then those five in their order),
  // otherwise one (with -6 it holds all six directions).
  int gifCount() const;

  // For the load of the next GIF (GifFile::load): has its pixels stored
  // already mapped where the match mode allows it. Optional: add() maps
  // whatever the reader left as GIF indices.
  PixelTranslation* pixelTranslation() { return &maps_; }

  // Takes the next GIF of the sprite, loaded and holding at least one image.
  // In this order: with -6 the image count must divide by six; the first GIF
  // sets the frames per direction, which must be 65,535 or fewer, and -a=
  // must name one of them; each later GIF must hold as many images; all
  // frames together must fit a frame area of 4,294,967,295 bytes. Only then
  // are its colour tables matched and its frames put into the image, its
  // pixels released. Converted when they are in place; otherwise the outcome
  // that ends the run, with detail() holding the number its message names.
  RunOutcome add(GifFile& gif);

  // After ImagesNotDivisible the image count, after ActionFrameOutOfRange
  // the action frame; empty otherwise.
  const std::string& detail() const { return detail_; }

 private:
  RunOutcome addGif(GifFile& gif);
  RunOutcome checkFirst(const GifFile& gif);
  RunOutcome checkLater(const GifFile& gif) const;

  const Options& options_;
  FrmImage& image_;
  RunColors colors_;   // one palette and one match setup for all the GIFs
  GifColorMaps maps_;  // the maps of the GIF being loaded and added
  DirectionLayout layout_;
  int added_ = 0;                // GIFs put into the image so far
  std::uint64_t frameArea_ = 0;  // the frame area they take
  std::string detail_;
};

#endif  // GIF2FRM_CONVERTER_SPRITE_ASSEMBLY_H_
