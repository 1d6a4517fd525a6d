#include "gif2frm/frame_assembly.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "color/color_map.h"
#include "color/floyd_steinberg.h"

namespace {

// Stores the low 16 bits of value, two's complement.
std::int16_t low16(std::int32_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

// Maps count pixels through table. Sprites and flat pictures are mostly
// runs, so eight pixels are looked at together, and a run of one index takes
// one lookup and one store for all eight.
void mapRun(const std::uint8_t* src, std::uint8_t* dst, std::size_t count,
            const std::uint8_t table[256]) {
  constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, src + i, 8);
    const std::uint64_t first = word & 0xFF;
    if (word == first * kEveryByte) {
      const std::uint64_t mapped = table[first] * kEveryByte;
      std::memcpy(dst + i, &mapped, 8);
    } else {
      for (std::size_t j = i; j < i + 8; ++j) dst[j] = table[src[j]];
    }
  }
  for (; i < count; ++i) dst[i] = table[src[i]];
}

// Writes one frame's pixels. Only the first deliveredInRow(y) pixels of a
// row came from the image data; the rest of the source row was never
// written, so it is not read and the frame gets 0 (transparent) there.
// out may be the source's own pixels: each pixel is read before it is
// written, and nothing else is read.
void mapPixels(const GifFrame& source, const ColorMap& map, bool transparent,
               std::uint8_t transparentIndex, std::uint8_t* out) {
  // The transparent index is decided on the GIF index, before mapping: fold
  // it into the table, so that each pixel is one lookup.
  std::uint8_t table[256];
  std::memcpy(table, map.data(), sizeof table);
  if (transparent) table[transparentIndex] = 0;

  const std::uint32_t width = source.width();
  const std::uint32_t height = source.height();
  const std::uint8_t* in = source.pixels.data();
  const std::size_t available = source.pixels.size();
  const std::size_t pixelCount = std::size_t{width} * height;
  if (in != nullptr && source.pixelsDelivered == pixelCount &&
      available >= pixelCount) {
    mapRun(in, out, pixelCount, table);  // every row complete: one run
    return;
  }
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::size_t rowStart = std::size_t{y} * width;
    std::size_t delivered =
        std::min<std::size_t>(source.deliveredInRow(y), width);
    // A pixel buffer shorter than the descriptor says is never read past.
    if (in == nullptr || rowStart >= available) {
      delivered = 0;
    } else {
      delivered = std::min(delivered, available - rowStart);
    }
    std::uint8_t* dst = out + rowStart;
    if (delivered != 0) mapRun(in + rowStart, dst, delivered, table);
    std::memset(dst + delivered, 0, width - delivered);
  }
}

// Writes one frame's pixels by error diffusion, with the same rule as
// mapPixels for what the image data never reached: those pixels are 0 and
// are never read. out may be the source's own pixels.
void ditherPixels(const GifFrame& source, FloydSteinberg& diffusion,
                  std::uint8_t* out) {
  const std::uint32_t width = source.width();
  const std::uint32_t height = source.height();
  if (width == 0) return;
  const std::uint8_t* in = source.pixels.data();
  const std::size_t available = source.pixels.size();
  // Where row y reads from, and how many of its pixels were decoded.
  const auto rowSource = [&](std::uint32_t y,
                             std::uint32_t& delivered) -> const std::uint8_t* {
    const std::size_t rowStart = std::size_t{y} * width;
    delivered = std::min(source.deliveredInRow(y), width);
    if (in == nullptr || rowStart >= available) {
      delivered = 0;
      return out + rowStart;  // not read
    }
    if (available - rowStart < delivered) {
      delivered = static_cast<std::uint32_t>(available - rowStart);
    }
    return in + rowStart;
  };
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint32_t delivered;
    const std::uint8_t* row = rowSource(y, delivered);
    diffusion.row(row, delivered, out + std::size_t{y} * width);
  }
}

// The colour table a frame's pixels index: its own, else the global one,
// else none (0 colours).
struct FrameTable {
  const std::uint8_t* colors = nullptr;
  std::uint32_t count = 0;
};

FrameTable frameTable(const GifFile& gif, const GifFrame& frame) {
  const ImageDescriptor& d = frame.descriptor;
  const platform::ByteBuffer* table = nullptr;
  int count = 0;
  if (d.field(ImageDescriptor::LocalColorTableFlag) != 0) {
    table = &frame.localColorTable;
    count = d.field(ImageDescriptor::LocalColorTableSize);
  } else if (gif.screen.field(LogicalScreenDescriptor::GlobalColorTableFlag) !=
             0) {
    table = &gif.globalColorTable;
    count = gif.screen.field(LogicalScreenDescriptor::GlobalColorTableSize);
  }
  // A table shorter than its count has failed its translation already.
  if (table == nullptr || count <= 0 || table->isNull() ||
      table->size() < 3 * std::size_t(count)) {
    return {};
  }
  return {table->data(), static_cast<std::uint32_t>(count)};
}

// Whether a GIF frame's pixel block can become an FRM frame as it is: room
// for the frame header in front, and every pixel there.
bool canTakeOver(const GifFrame& frame) {
  return !frame.pixels.isNull() &&
         frame.pixels.headroom() >= sizeof(FrmFrameHeader) &&
         frame.pixels.size() >= frame.pixelCount();
}

}  // namespace

std::uint64_t frameAreaOf(const GifFile& gif) {
  std::uint64_t area = 0;
  for (const GifFrame& frame : gif.frames) {
    area += sizeof(FrmFrameHeader) +
            std::uint64_t{frame.descriptor.width} * frame.descriptor.height;
  }
  return area;
}

bool fitsInFrm(const GifFile& gif) {
  return gif.frames.size() <= kFrmMaxFramesPerDirection &&
         frameAreaOf(gif) <= kFrmMaxFrameArea;
}

namespace {

// Whether gif's frames make whole directions that fit the sprite from
// layout.firstDirection on.
bool fillsWholeDirections(const GifFile& gif, const DirectionLayout& layout) {
  const std::size_t perDirection = layout.framesPerDirection;
  if (layout.directionCount < 1 || layout.directionCount > kFrmDirections ||
      layout.firstDirection < 0 ||
      layout.firstDirection >= layout.directionCount) {
    return false;
  }
  if (perDirection == 0) return gif.frames.empty();
  const std::size_t directions = gif.frames.size() / perDirection;
  return gif.frames.size() % perDirection == 0 &&
         directions <= static_cast<std::size_t>(layout.directionCount -
                                                layout.firstDirection);
}

// The map of pixels that the reader has translated already.
constexpr struct IdentityMap {
  ColorMap entries;
  constexpr IdentityMap() : entries() {
    for (int i = 0; i < 256; ++i) entries[i] = static_cast<std::uint8_t>(i);
  }
} kIdentityMap;

// Builds the directions of layout from gif, with maps, which are local to
// one conversion and may have been used by the reader; with releaseFrom set
// (to gif itself), each GIF frame's pixels are freed once mapped.
AssemblyStatus assemble(const GifFile& gif, const Options& options,
                        const DirectionLayout& layout, RunColors& colors,
                        GifColorMaps& maps, FrmImage& image,
                        GifFile* releaseFrom) {
  const LogicalScreenDescriptor& screen = gif.screen;
  if (!maps.translateGlobal(gif)) return AssemblyStatus::CantTranslate;

  std::optional<FloydSteinberg> diffusion;
  if (colors.dithers()) {
    NearestCache* nearest = colors.nearestCache();
    if (nearest == nullptr) return AssemblyStatus::NoMemory;
    diffusion.emplace(*nearest);
  }

  // Whole directions that fit are the caller's test (fitsInFrm and the
  // like); frames that do not cannot get a place in the frame array here.
  if (!fillsWholeDirections(gif, layout)) return AssemblyStatus::NoMemory;
  // The first GIF of a sprite makes the frame array for all of it; later ones
  // fill their directions of it.
  if (layout.firstDirection == 0) {
    if (!image.allocateFrameArray(layout.framesPerDirection,
                                  layout.directionCount)) {
      return AssemblyStatus::NoMemory;
    }
  } else if (image.directionCount() != layout.directionCount ||
             image.framesPerDirection != layout.framesPerDirection) {
    return AssemblyStatus::NoMemory;
  }

  const std::int32_t screenWidth = screen.width;
  const std::int32_t screenHeight = screen.height;
  // The previous reference point, kept at full width: the offsets stored in
  // the frames are only its 16-bit differences.
  std::int32_t prevX = 0;
  std::int32_t prevY = 0;

  const std::size_t perDirection = layout.framesPerDirection;
  const std::size_t firstIndex =
      perDirection * static_cast<std::size_t>(layout.firstDirection);
  for (std::size_t k = 0; k < gif.frames.size(); ++k) {
    const GifFrame& source = gif.frames[k];
    const std::size_t index = firstIndex + k;
    if (index % perDirection == 0) {
      // A direction starts: its first frame is measured from (0, 0), and it
      // gets the sprite's shifts and the place where its frames begin.
      const std::size_t direction = index / perDirection;
      image.shiftX[direction] = low16(options.xShift);
      image.shiftY[direction] = low16(options.yShift);
      image.dataOffset[direction] = image.frameAreaSize;
      prevX = 0;
      prevY = 0;
    }
    const ImageDescriptor& d = source.descriptor;

    // Pixels the reader stored through the frame's map, transparent index
    // and all, are final where the image data reached them.
    const bool translated = source.pixelsTranslated;
    const ColorMap* map = &kIdentityMap.entries;
    if (!translated) {
      map = maps.mapFor(source);
      if (map == nullptr) return AssemblyStatus::CantTranslate;
    }

    // A control extension governs only the image right after it, and its
    // transparent index counts only with the flag set. The index is compared
    // before mapping: a GIF index equal to it is transparent whatever colour
    // it would map to.
    const bool transparent =
        !translated && source.hasControl != 0 &&
        source.control.field(GraphicControlExtension::TransparentColorFlag) !=
            0;
    const std::uint8_t transparentIndex = source.control.transparentColorIndex;
    if (diffusion) {
      const FrameTable table = frameTable(gif, source);
      if (!diffusion->start(d.width, table.colors, table.count, *map,
                            transparent, transparentIndex)) {
        return AssemblyStatus::NoMemory;
      }
    }
    // Maps or diffuses the pixels of from into out.
    const auto writePixels = [&](const GifFrame& from, std::uint8_t* out) {
      if (diffusion) {
        ditherPixels(from, *diffusion, out);
      } else if (translated && out == from.pixels.data() &&
                 from.pixelsDelivered == from.pixelCount()) {
        // Every pixel is in place already.
      } else {
        mapPixels(from, *map, transparent, transparentIndex, out);
      }
    };

    FrmFrame* frame = nullptr;
    if (releaseFrom != nullptr && canTakeOver(source)) {
      // Map the pixels where they are and let the FRM frame take the block:
      // no second copy of the frame ever exists.
      GifFrame& owned = releaseFrom->frames[k];
      writePixels(owned, owned.pixels.data());
      frame = FrmFrame::adopt(owned.pixels.releaseBlock(), d.width, d.height);
      image.adoptFrame(index, frame);
    } else {
      frame = image.allocateFrame(index, d.width, d.height);
      if (frame == nullptr) return AssemblyStatus::NoMemory;
      writePixels(source, frame->pixels());
      if (releaseFrom != nullptr) releaseFrom->frames[k].pixels.reset();
    }
    image.frameAreaSize +=
        static_cast<std::uint32_t>(sizeof(FrmFrameHeader)) + frame->pixelCount;

    // Reference point: the image's horizontal centre against the screen's
    // (the halving truncates toward zero, also for an image wider than the
    // screen) and its bottom edge against the screen's bottom edge.
    const std::int32_t left = d.left;
    const std::int32_t top = d.top;
    const std::int32_t width = d.width;
    const std::int32_t height = d.height;
    const std::int32_t x = left - (screenWidth - width) / 2;
    const std::int32_t y = top + height - screenHeight;
    frame->offsetX = low16(x - prevX);
    frame->offsetY = low16(y - prevY);
    prevX = x;
    prevY = y;
  }
  return AssemblyStatus::Ok;
}

}  // namespace

namespace {

// All of gif in one direction.
DirectionLayout oneDirection(const GifFile& gif) {
  DirectionLayout layout;
  // Beyond 16 bits the layout cannot say it: the assembly then refuses.
  layout.framesPerDirection =
      gif.frames.size() > kFrmMaxFramesPerDirection
          ? std::uint16_t{0}
          : static_cast<std::uint16_t>(gif.frames.size());
  return layout;
}

}  // namespace

AssemblyStatus buildFrmImage(const GifFile& gif, const Options& options,
                             FrmImage& image, const PaletteColors* palette) {
  RunColors colors(options, palette);
  GifColorMaps maps(colors);
  return assemble(gif, options, oneDirection(gif), colors, maps, image,
                  nullptr);
}

AssemblyStatus buildFrmImageReleasingPixels(GifFile& gif,
                                            const Options& options,
                                            FrmImage& image,
                                            const PaletteColors* palette) {
  RunColors colors(options, palette);
  GifColorMaps maps(colors);
  return assemble(gif, options, oneDirection(gif), colors, maps, image, &gif);
}

AssemblyStatus buildDirectionsReleasingPixels(
    GifFile& gif, const Options& options, const DirectionLayout& layout,
    RunColors& colors, GifColorMaps& maps, FrmImage& image) {
  return assemble(gif, options, layout, colors, maps, image, &gif);
}
