#include "gif2frm/gif_color_maps.h"

#include <cstring>

#include "color/color_matching.h"

void GifColorMaps::restart() {
  globalMap_.fill(0);
  localMap_.fill(0);
  globalTranslated_ = false;
  readerStopped_ = false;
}

// Fills a map from a colour table by the run's matching rule; false when a
// colour has no match, and also when the table is shorter than its entry
// count.
bool GifColorMaps::translate(ColorMap& map, const platform::ByteBuffer& table,
                             int entryCount) const {
  const std::uint64_t tableBytes = std::uint64_t{3} * std::uint64_t(entryCount);
  if (entryCount < 0 || table.isNull() || table.size() < tableBytes) {
    return false;
  }
  return buildColorMap(map, table.data(),
                       static_cast<std::uint32_t>(entryCount),
                       colors_.settings());
}

bool GifColorMaps::translateGlobal(const GifFile& gif) {
  if (globalTranslated_) return true;
  const LogicalScreenDescriptor& screen = gif.screen;
  if (screen.field(LogicalScreenDescriptor::GlobalColorTableFlag) != 0 &&
      !translate(globalMap_, gif.globalColorTable,
                 screen.field(LogicalScreenDescriptor::GlobalColorTableSize))) {
    return false;
  }
  globalTranslated_ = true;
  return true;
}

const ColorMap* GifColorMaps::mapFor(const GifFrame& image) {
  const ImageDescriptor& d = image.descriptor;
  if (d.field(ImageDescriptor::LocalColorTableFlag) == 0) return &globalMap_;
  if (!translate(localMap_, image.localColorTable,
                 d.field(ImageDescriptor::LocalColorTableSize))) {
    return nullptr;
  }
  return &localMap_;
}

const std::uint8_t* GifColorMaps::tableFor(const GifFile& gif,
                                           const GifFrame& image) {
  // Diffusion looks at each pixel's neighbours; it stays a pass of its own.
  if (readerStopped_ || colors_.dithers()) return nullptr;
  const ColorMap* map = translateGlobal(gif) ? mapFor(image) : nullptr;
  if (map == nullptr) {
    readerStopped_ = true;
    return nullptr;
  }
  std::memcpy(table_, map->data(), sizeof table_);
  // The transparent index is decided on the GIF index, before mapping.
  if (image.hasControl != 0 &&
      image.control.field(GraphicControlExtension::TransparentColorFlag) != 0) {
    table_[image.control.transparentColorIndex] = 0;
  }
  return table_;
}
