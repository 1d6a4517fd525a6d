// The sprite as the page's checking preview shows it: the FRM read by the
// reader frm2gif uses, each direction laid out as frm2gif lays it out (the
// rectangles that frm2gif -i prints) and coloured as frm2gif colours it (the
// built-in palette or a palette file, 6-bit components widened). A sprite
// that frm2gif would not show is not shown either: the page runs frm2gif
// for its message.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "color/six_bit.h"
#include "frm/frm_reader.h"
#include "frm2gif/options.h"
#include "frm2gif/palette.h"
#include "frm2gif/sprite_layout.h"
#include "platform/input_file.h"

namespace {

struct SpriteView {
  FrmImage image;
  std::vector<DirectionPicture> layouts;
  PaletteColors colors{};  // on the 8-bit scale
  // web_view_frame's answer: width, height, offsetX, offsetY, left, top of
  // a frame, then the width and height of its direction's picture.
  std::int32_t frame[8] = {};
};

// One sprite at a time; a module instance is made for each look at one.
std::unique_ptr<SpriteView> view;

bool readSprite(const char* frmName, FrmImage& image) {
  platform::InputFile file;
  std::uint64_t size = 0;
  if (!file.open(frmName) || !file.size(size)) return false;
  return readFrm(file, size, image) == FrmReadStatus::Ok && !file.failed();
}

bool openView(const char* frmName, const char* paletteName) {
  auto opened = std::make_unique<SpriteView>();
  ViewerOptions options;
  options.hasPaletteFile = paletteName[0] != '\0';
  options.paletteFile = paletteName;
  if (loadViewerPalette(options, opened->colors) != PaletteFileStatus::Ok ||
      !readSprite(frmName, opened->image)) {
    return false;
  }
  for (std::uint8_t& component : opened->colors) {
    component = expandSixBit(component);
  }
  const int directions = frmDirectionCount(opened->image);
  for (int d = 0; d < directions; ++d) {
    opened->layouts.push_back(layOutDirection(opened->image, d));
    // A picture a GIF holds has coordinates well inside 32 bits.
    if (!opened->layouts.back().fitsGif()) return false;
  }
  view = std::move(opened);
  return true;
}

const FrmFrame& frameAt(int direction, int frame) {
  return *view->image.frames[std::size_t{view->image.framesPerDirection} *
                                 static_cast<std::size_t>(direction) +
                             static_cast<std::size_t>(frame)];
}

bool validFrame(int direction, int frame) {
  return view != nullptr && direction >= 0 &&
         static_cast<std::size_t>(direction) < view->layouts.size() &&
         frame >= 0 && frame < int{view->image.framesPerDirection};
}

}  // namespace

extern "C" {

// Reads the FRM input file frmName, in the colours of the palette input
// file paletteName (empty: the built-in palette). 0 when the sprite can be
// shown, 1 when not.
int web_view_open(const char* frmName, const char* paletteName) {
  view.reset();
  try {
    return openView(frmName, paletteName) ? 0 : 1;
  } catch (const std::bad_alloc&) {
    return 1;
  }
}

int web_view_directions() {
  return view == nullptr ? 0 : static_cast<int>(view->layouts.size());
}
int web_view_frames_per_direction() {
  return view == nullptr ? 0 : int{view->image.framesPerDirection};
}
int web_view_frames_per_second() {
  return view == nullptr ? 0 : int{view->image.framesPerSecond};
}
// 256 colours of 3 bytes, red, green, blue; index 0 is transparent.
const std::uint8_t* web_view_colors() {
  return view == nullptr ? nullptr : view->colors.data();
}

// The frame's rectangle in its direction's picture (see SpriteView::frame);
// null when there is no such frame.
const std::int32_t* web_view_frame(int direction, int frame) {
  if (!validFrame(direction, frame)) return nullptr;
  const FrmFrame& header = frameAt(direction, frame);
  const DirectionPicture& picture = view->layouts[direction];
  const FramePlacement& at = picture.frames[frame];
  std::int32_t* out = view->frame;
  out[0] = header.width;
  out[1] = header.height;
  out[2] = header.offsetX;
  out[3] = header.offsetY;
  out[4] = static_cast<std::int32_t>(at.left);
  out[5] = static_cast<std::int32_t>(at.top);
  out[6] = static_cast<std::int32_t>(picture.width);
  out[7] = static_cast<std::int32_t>(picture.height);
  return out;
}

// The frame's width x height palette indices, row by row.
const std::uint8_t* web_view_pixels(int direction, int frame) {
  if (!validFrame(direction, frame)) return nullptr;
  return frameAt(direction, frame).pixels();
}

}  // extern "C"
