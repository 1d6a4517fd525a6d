#include "gif2frm/frame_assembly.h"

#include <cstddef>
#include <cstdint>

#include "gif2frm/frame_trim.h"
#include "gif2frm/gif_source.h"
#include "gif2frm/indexed_maps.h"
#include "gif2frm/run_colors.h"

namespace {

// Stores the low 16 bits of value, two's complement.
std::int16_t low16(std::int32_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

SpriteStatus spriteStatus(ColorStatus status) {
  switch (status) {
    case ColorStatus::Ok:
      return SpriteStatus::Ok;
    case ColorStatus::CantTranslate:
      return SpriteStatus::CantTranslate;
    case ColorStatus::NoMemory:
      return SpriteStatus::NoMemory;
    case ColorStatus::NeedsIndices:
      return SpriteStatus::NeedsIndices;
  }
  return SpriteStatus::NoMemory;
}

// Whether the image's frames make whole directions that fit the sprite from
// layout.firstDirection on, and each frame fits an FRM frame's fields.
bool fillsWholeDirections(const SourceImage& source,
                          const DirectionLayout& layout) {
  const std::size_t frames = source.frames.size();
  const std::size_t perDirection = layout.framesPerDirection;
  if (layout.directionCount < 1 || layout.directionCount > kFrmDirections ||
      layout.firstDirection < 0 ||
      layout.firstDirection >= layout.directionCount) {
    return false;
  }
  for (const SourceFrame& frame : source.frames) {
    if (frame.width > 0xFFFF || frame.height > 0xFFFF) return false;
  }
  if (perDirection == 0) return frames == 0;
  return frames % perDirection == 0 &&
         frames / perDirection <=
             static_cast<std::size_t>(layout.directionCount -
                                      layout.firstDirection);
}

// The first image of a sprite makes the frame array for all of it; later
// ones fill their directions of it.
SpriteStatus prepareFrameArray(const DirectionLayout& layout, FrmImage& image) {
  if (layout.firstDirection == 0) {
    return image.allocateFrameArray(layout.framesPerDirection,
                                    layout.directionCount)
               ? SpriteStatus::Ok
               : SpriteStatus::NoMemory;
  }
  return image.directionCount() == layout.directionCount &&
                 image.framesPerDirection == layout.framesPerDirection
             ? SpriteStatus::Ok
             : SpriteStatus::BadLayout;
}

// Whether a source frame's pixel block can become an FRM frame as it is:
// room for the frame header in front, and a byte for every pixel there.
bool canTakeOver(const SourceFrame& frame) {
  return frame.pixels != nullptr && !frame.pixels->isNull() &&
         frame.pixels->headroom() >= sizeof(FrmFrameHeader) &&
         frame.pixels->size() >= frame.pixelCount();
}

// Makes the FRM frame at index from source frame k: its colours written in
// place, the block taken over, when allowed and possible; else into a frame
// of its own, the source block freed afterwards when taken over.
SpriteStatus makeFrame(const SourceImage& source, SourceFrame& from,
                       FrameColors& colors, bool takeOver, std::size_t index,
                       FrmImage& image, FrmFrame*& frame) {
  const ColorStatus prepared = colors.prepare(source, from);
  if (prepared != ColorStatus::Ok) return spriteStatus(prepared);
  const auto width = static_cast<std::uint16_t>(from.width);
  const auto height = static_cast<std::uint16_t>(from.height);
  if (takeOver && canTakeOver(from)) {
    // No second copy of the frame ever exists.
    colors.write(from, from.pixels->data());
    frame = FrmFrame::adopt(from.pixels->releaseBlock(), width, height);
    image.adoptFrame(index, frame);
  } else {
    frame = image.allocateFrame(index, width, height);
    if (frame == nullptr) return SpriteStatus::NoMemory;
    colors.write(from, frame->pixels());
    if (takeOver && from.pixels != nullptr) from.pixels->reset();
  }
  return SpriteStatus::Ok;
}

// A frame's rectangle on the canvas; a trimmed frame's may start above it.
struct CanvasRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t width;
  std::int32_t height;
};

CanvasRect canvasRect(const SourceFrame& frame) {
  return CanvasRect{static_cast<std::int32_t>(frame.left),
                    static_cast<std::int32_t>(frame.top),
                    static_cast<std::int32_t>(frame.width),
                    static_cast<std::int32_t>(frame.height)};
}

// -c: cuts the written frame down to its visible pixels and says where that
// rectangle lies on the canvas. A frame without a visible pixel becomes one
// transparent pixel at the bottom centre of its rectangle (above it, for a
// frame of height 0, whose bottom edge is its top).
SpriteStatus trimFrame(std::size_t index, FrmImage& image, FrmFrame*& frame,
                       CanvasRect& rect) {
  const PixelRect visible =
      visibleRect(frame->pixels(), frame->width, frame->height);
  if (visible.width == 0) {
    rect = CanvasRect{rect.left + rect.width / 2, rect.top + rect.height - 1, 1,
                      1};
    if (frame->pixelCount == 0) {
      frame = image.allocateFrame(index, 1, 1);
      if (frame == nullptr) return SpriteStatus::NoMemory;
    }
    frame->pixels()[0] = 0;
  } else {
    cropInPlace(frame->pixels(), frame->width, visible);
    rect = CanvasRect{rect.left + static_cast<std::int32_t>(visible.left),
                      rect.top + static_cast<std::int32_t>(visible.top),
                      static_cast<std::int32_t>(visible.width),
                      static_cast<std::int32_t>(visible.height)};
  }
  frame->shrinkTo(static_cast<std::uint16_t>(rect.width),
                  static_cast<std::uint16_t>(rect.height));
  return SpriteStatus::Ok;
}

// The reference points of a direction's frames, one after another.
class Placement {
 public:
  Placement(std::uint32_t canvasWidth, std::uint32_t canvasHeight)
      : canvasWidth_(static_cast<std::int32_t>(canvasWidth)),
        canvasHeight_(static_cast<std::int32_t>(canvasHeight)) {}

  // A direction starts: its first frame is measured from (0, 0).
  void restart() { prevX_ = prevY_ = 0; }

  // Sets frame's offsets from the frame before it. The reference point is
  // the frame's horizontal centre against the canvas's (the halving
  // truncates toward zero, also for a frame wider than the canvas) and its
  // bottom edge against the canvas's bottom edge.
  void place(const CanvasRect& rect, FrmFrame& frame) {
    const std::int32_t x = rect.left - (canvasWidth_ - rect.width) / 2;
    const std::int32_t y = rect.top + rect.height - canvasHeight_;
    frame.offsetX = low16(x - prevX_);
    frame.offsetY = low16(y - prevY_);
    // Kept at full width: the offsets stored are only 16-bit differences.
    prevX_ = x;
    prevY_ = y;
  }

 private:
  std::int32_t canvasWidth_;
  std::int32_t canvasHeight_;
  std::int32_t prevX_ = 0;
  std::int32_t prevY_ = 0;
};

// A direction starts at its first frame: it gets its shifts and the place
// in the frame area where its frames begin.
void startDirection(std::size_t direction, const Options& options,
                    FrmImage& image) {
  image.shiftX[direction] = low16(options.xShift[direction]);
  image.shiftY[direction] = low16(options.yShift[direction]);
  image.dataOffset[direction] = image.frameAreaSize;
}

// All of a GIF in one direction, assembled with colours of its own.
SpriteStatus buildOneDirection(GifFile& gif, const Options& options,
                               FrmImage& image, const PaletteColors* palette,
                               bool takeOver) {
  SourceImage source;
  describeGif(gif, source);
  DirectionLayout layout;
  // Beyond 16 bits the layout cannot say it: the assembly then refuses.
  layout.framesPerDirection =
      source.frames.size() > kFrmMaxFramesPerDirection
          ? std::uint16_t{0}
          : static_cast<std::uint16_t>(source.frames.size());
  RunColors runColors(options, palette);
  IndexedMaps maps(runColors);
  FrameColors colors(runColors, maps);
  return buildDirections(source, options, layout, colors, image, takeOver);
}

}  // namespace

std::uint64_t frameAreaOf(const SourceImage& image) {
  std::uint64_t area = 0;
  for (const SourceFrame& frame : image.frames) {
    area += sizeof(FrmFrameHeader) + frame.pixelCount();
  }
  return area;
}

SpriteStatus buildDirections(SourceImage& source, const Options& options,
                             const DirectionLayout& layout, FrameColors& colors,
                             FrmImage& image, bool takeOver) {
  // An image of one part goes on from the maps its reader matched through;
  // in one of several, every part starts afresh.
  const bool fresh = source.sharedTables.size() > 1;
  const ColorStatus started = colors.startPart(source, 0, fresh);
  if (started != ColorStatus::Ok) return spriteStatus(started);
  if (!fillsWholeDirections(source, layout)) return SpriteStatus::BadLayout;
  const SpriteStatus prepared = prepareFrameArray(layout, image);
  if (prepared != SpriteStatus::Ok) return prepared;

  Placement placement(source.canvasWidth, source.canvasHeight);
  const std::size_t perDirection = layout.framesPerDirection;
  const std::size_t firstIndex =
      perDirection * static_cast<std::size_t>(layout.firstDirection);
  for (std::size_t k = 0; k < source.frames.size(); ++k) {
    const std::size_t index = firstIndex + k;
    if (index % perDirection == 0) {
      startDirection(index / perDirection, options, image);
      placement.restart();
    }
    if (k > 0 && source.frames[k].part != source.frames[k - 1].part) {
      const ColorStatus next =
          colors.startPart(source, source.frames[k].part, fresh);
      if (next != ColorStatus::Ok) return spriteStatus(next);
    }
    FrmFrame* frame = nullptr;
    const SpriteStatus made = makeFrame(source, source.frames[k], colors,
                                        takeOver, index, image, frame);
    if (made != SpriteStatus::Ok) return made;
    CanvasRect rect = canvasRect(source.frames[k]);
    if (options.trim) {
      const SpriteStatus trimmed = trimFrame(index, image, frame, rect);
      if (trimmed != SpriteStatus::Ok) return trimmed;
    }
    image.frameAreaSize +=
        static_cast<std::uint32_t>(sizeof(FrmFrameHeader)) + frame->pixelCount;
    placement.place(rect, *frame);
  }
  return SpriteStatus::Ok;
}

SpriteStatus buildFrmImage(const GifFile& gif, const Options& options,
                           FrmImage& image, const PaletteColors* palette) {
  // Without taking over, the GIF is only read.
  return buildOneDirection(const_cast<GifFile&>(gif), options, image, palette,
                           false);
}

SpriteStatus buildFrmImageReleasingPixels(GifFile& gif, const Options& options,
                                          FrmImage& image,
                                          const PaletteColors* palette) {
  return buildOneDirection(gif, options, image, palette, true);
}
