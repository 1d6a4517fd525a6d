// The way from frm2gif's GIFs back to the FRM file: the gif2frm command line
// that rebuilds the sprite from them (-n keeps the indices, -f=, -a=, -x=
// and -y= give the header back, -1= to -5= name the directions), and what
// of the sprite that command cannot give back. frm2gif -i prints both, and
// every GIF carries the command as its comment.
#ifndef GIF2FRM_FRM2GIF_WAY_BACK_H_
#define GIF2FRM_FRM2GIF_WAY_BACK_H_

#include <cstdint>
#include <string>
#include <vector>

#include "frm/frm_image.h"
#include "frm2gif/sprite_layout.h"

// Why the command does not give the identical file back.
enum class WayBackLoss {
  FirstFrameBelow,     // a frame lies below the point gif2frm measures from
  CentredTooLarge,     // around that point the picture is too large for a GIF
  EmptyFrames,         // frames without pixels come back as one pixel each
  ActionFrameOutside,  // the action frame is not a frame of a direction
  UnusedShifts,        // one direction, but shifts given for directions 1-5
};

struct WayBackNote {
  WayBackLoss loss;
  int direction = 0;        // the direction (of the first empty frame)
  std::uint32_t frame = 0;  // the lowest frame, the first empty frame, or
                            // the action frame
  std::uint32_t count = 0;  // how many empty frames; the frames of a
                            // direction for ActionFrameOutside
  std::int64_t below = 0;   // FirstFrameBelow: pixels below the point
  std::int64_t width = 0;   // CentredTooLarge: the picture around it
  std::int64_t height = 0;
  int offsetX = 0;  // the first frame's offsets in the file ...
  int offsetY = 0;
  int backX = 0;  // ... and as gif2frm gives them back
  int backY = 0;
};

struct WayBack {
  std::string command;
  std::vector<WayBackNote> notes;  // empty: the identical file comes back
};

// The way back for image, laid out by layouts (one per direction), given to
// frm2gif as frmPath and shown in the GIFs gifPaths (one per direction).
// Throws std::bad_alloc when the memory cannot be had.
WayBack wayBack(const FrmImage& image,
                const std::vector<DirectionPicture>& layouts,
                const std::string& frmPath,
                const std::vector<std::string>& gifPaths);

// text as one word of a command line: as it is when it holds only letters,
// digits and _-.,/:=+@, otherwise quoted (in double quotes, which POSIX
// shells and the Windows command prompt both read, or in single quotes when
// it holds a character that POSIX shells expand within double quotes).
std::string commandWord(const std::string& text);

#endif  // GIF2FRM_FRM2GIF_WAY_BACK_H_
