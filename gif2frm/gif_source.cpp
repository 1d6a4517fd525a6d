#include "gif2frm/gif_source.h"

#include <cstring>

namespace {

// A table of a GIF: present when its flag is set; its colours only when the
// buffer holds every entry its size field gives.
ColorTable gifTable(int flag, int entryCount,
                    const platform::ByteBuffer& buffer) {
  ColorTable table;
  table.present = flag != 0;
  if (!table.present || entryCount <= 0) return table;
  table.count = static_cast<std::uint32_t>(entryCount);
  if (!buffer.isNull() && buffer.size() >= std::size_t{3} * table.count) {
    table.colors = buffer.data();
  }
  return table;
}

ColorTable globalTable(const GifFile& gif) {
  return gifTable(
      gif.screen.field(LogicalScreenDescriptor::GlobalColorTableFlag),
      gif.screen.field(LogicalScreenDescriptor::GlobalColorTableSize),
      gif.globalColorTable);
}

ColorTable localTable(const GifFrame& frame) {
  const ImageDescriptor& d = frame.descriptor;
  return gifTable(d.field(ImageDescriptor::LocalColorTableFlag),
                  d.field(ImageDescriptor::LocalColorTableSize),
                  frame.localColorTable);
}

// A control extension governs only the image right after it, and its
// transparent index counts only with the flag set.
bool hasTransparentIndex(const GifFrame& frame) {
  return frame.hasControl != 0 &&
         frame.control.field(GraphicControlExtension::TransparentColorFlag) !=
             0;
}

std::uint32_t gifRowCoverage(const void* frame, std::uint32_t row) {
  return static_cast<const GifFrame*>(frame)->deliveredInRow(row);
}

SourceFrame describeFrame(GifFrame& frame, std::uint32_t part) {
  const ImageDescriptor& d = frame.descriptor;
  SourceFrame source;
  source.left = d.left;
  source.top = d.top;
  source.width = d.width;
  source.height = d.height;
  source.delay = frame.hasControl != 0 ? frame.control.delayTime : 0;
  source.part = part;
  source.pixels = &frame.pixels;
  if (frame.pixelsTranslated) {
    // The transparent index was folded into the reader's table.
    source.form = PixelForm::Entries;
  } else {
    source.form = PixelForm::Indices;
    source.ownTable = localTable(frame);
    source.transparent = hasTransparentIndex(frame);
    source.transparentIndex = frame.control.transparentColorIndex;
  }
  if (frame.pixelsDelivered != frame.pixelCount()) {
    source.coverage = {gifRowCoverage, &frame};
  }
  return source;
}

}  // namespace

void describeGif(GifFile& gif, SourceImage& image) {
  image = SourceImage();
  image.canvasWidth = gif.screen.width;
  image.canvasHeight = gif.screen.height;
  appendGif(gif, image);
}

void appendGif(GifFile& gif, SourceImage& image) {
  const auto part = static_cast<std::uint32_t>(image.sharedTables.size());
  image.sharedTables.push_back(globalTable(gif));
  image.frames.reserve(image.frames.size() + gif.frames.size());
  for (GifFrame& frame : gif.frames) {
    image.frames.push_back(describeFrame(frame, part));
  }
}

const std::uint8_t* GifDecodeMatching::tableFor(const GifFile& gif,
                                                const GifFrame& image) {
  // Diffusion looks at each pixel's neighbours; it stays a pass of its own.
  if (stopped_ || colors_.dithers()) return nullptr;
  const ColorMap* map = maps_.matchShared(globalTable(gif))
                            ? maps_.mapFor(localTable(image))
                            : nullptr;
  if (map == nullptr) {
    stopped_ = true;
    return nullptr;
  }
  std::memcpy(table_, map->data(), sizeof table_);
  if (colors_.ordersDither() &&
      !showsEachColorAlone(localTable(image).present ? localTable(image)
                                                     : globalTable(gif))) {
    // Its pattern depends on each pixel's place: a pass of its own.
    return nullptr;
  }
  // The transparent index is decided on the GIF index, before mapping.
  if (hasTransparentIndex(image))
    table_[image.control.transparentColorIndex] = 0;
  return table_;
}

bool GifDecodeMatching::showsEachColorAlone(const ColorTable& table) {
  MixPlans* plans = colors_.mixPlans();
  if (plans == nullptr) return false;
  const std::uint32_t count = table.colors != nullptr ? table.count : 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* color = table.colors + 3 * std::size_t{i};
    const std::uint8_t entry = plans->entryAlone(color[0], color[1], color[2]);
    if (entry == 0) return false;
    table_[i] = entry;
  }
  return true;
}
