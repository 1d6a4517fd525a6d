// A sprite made from one GIF, or from six GIFs of one direction each: which
// GIFs it takes, whether each one fits the format and the GIFs before it, and
// its frames put into the image as soon as it is loaded, so that the pixels
// of one GIF at a time are in memory besides the image.
#ifndef GIF2FRM_APP_SPRITE_ASSEMBLY_H_
#define GIF2FRM_APP_SPRITE_ASSEMBLY_H_

#include <cstdint>
#include <string>

#include "app/frame_assembly.h"
#include "app/messages.h"
#include "app/options.h"
#include "frm/frm_image.h"
#include "gif/gif_file.h"

// Whether the options name a sprite that can be made: -6 or -1= to -5=, not
// both, and all five of -1= to -5= or none of them. Converted when they do;
// otherwise the outcome, with missing set to the first option left out
// ("-3=FILE") for MissingDirectionFile.
RunOutcome checkDirectionOptions(const Options& options, std::string& missing);

class SpriteAssembly {
 public:
  // image is freshly constructed; add() fills it.
  SpriteAssembly(const Options& options, FrmImage& image);
  SpriteAssembly(const SpriteAssembly&) = delete;
  SpriteAssembly& operator=(const SpriteAssembly&) = delete;

  // How many GIFs the sprite is made from, in the order add() takes them:
  // with -1= to -5= six (the input first, then those five in their order),
  // otherwise one (with -6 it holds all six directions).
  int gifCount() const;

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
  RunOutcome checkFirst(const GifFile& gif);
  RunOutcome checkLater(const GifFile& gif) const;

  const Options& options_;
  FrmImage& image_;
  DirectionLayout layout_;
  int added_ = 0;                // GIFs put into the image so far
  std::uint64_t frameArea_ = 0;  // the frame area they take
  std::string detail_;
};

#endif  // GIF2FRM_APP_SPRITE_ASSEMBLY_H_
