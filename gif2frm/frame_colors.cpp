#include "gif2frm/frame_colors.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

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

// The pixels of a frame's rows as they can be read: where row y starts in
// the block, and how many of its pixels the decoder delivered. A block
// shorter than the frame says is never read past.
class Rows {
 public:
  explicit Rows(const SourceFrame& frame)
      : frame_(frame),
        in_(frame.pixels != nullptr ? frame.pixels->data() : nullptr),
        available_(in_ != nullptr ? frame.pixels->size() : 0) {}

  const std::uint8_t* row(std::uint32_t y, std::uint32_t& delivered) const {
    const std::size_t start = std::size_t{y} * frame_.width;
    delivered = frame_.deliveredInRow(y);
    if (start >= available_) {
      delivered = 0;
      return nullptr;
    }
    delivered = static_cast<std::uint32_t>(
        std::min<std::size_t>(delivered, available_ - start));
    return in_ + start;
  }
  // Whether every pixel is there to be read in one run.
  bool whole() const {
    return frame_.whole() && in_ != nullptr &&
           available_ >= frame_.pixelCount();
  }
  const std::uint8_t* data() const { return in_; }

 private:
  const SourceFrame& frame_;
  const std::uint8_t* in_;
  std::size_t available_;
};

// Writes one frame's pixels through table. Only the delivered pixels of a
// row are read; the frame gets 0 (transparent) for the rest.
void mapPixels(const SourceFrame& frame, const std::uint8_t table[256],
               std::uint8_t* out) {
  const Rows rows(frame);
  if (rows.whole()) {
    mapRun(rows.data(), out, static_cast<std::size_t>(frame.pixelCount()),
           table);
    return;
  }
  for (std::uint32_t y = 0; y < frame.height; ++y) {
    std::uint32_t delivered;
    const std::uint8_t* in = rows.row(y, delivered);
    std::uint8_t* dst = out + std::size_t{y} * frame.width;
    if (delivered != 0) mapRun(in, dst, delivered, table);
    std::memset(dst + delivered, 0, frame.width - delivered);
  }
}

// Writes one frame's pixels by error diffusion or ordered dithering, with
// the same rule as mapPixels for what the decoder never reached: those
// pixels are 0 and are never read.
template <typename Dithering>
void ditherPixels(const SourceFrame& frame, Dithering& diffusion,
                  std::uint8_t* out) {
  const Rows rows(frame);
  for (std::uint32_t y = 0; y < frame.height; ++y) {
    std::uint32_t delivered;
    std::uint8_t* dst = out + std::size_t{y} * frame.width;
    const std::uint8_t* in = rows.row(y, delivered);
    diffusion.row(in != nullptr ? in : dst, delivered, dst);
  }
}

// The map of pixels that hold palette entries already.
constexpr struct IdentityTable {
  std::uint8_t entries[256];
  constexpr IdentityTable() : entries() {
    for (int i = 0; i < 256; ++i) entries[i] = static_cast<std::uint8_t>(i);
  }
} kIdentity;

}  // namespace

ColorStatus FrameColors::startPart(const SourceImage& image, std::uint32_t part,
                                   bool fresh) {
  if (fresh) maps_.restart();
  const ColorTable none;
  const ColorTable& table =
      part < image.sharedTables.size() ? image.sharedTables[part] : none;
  if (!maps_.matchShared(table)) return ColorStatus::CantTranslate;
  if (colors_.dithers() && !diffusion_) {
    NearestCache* nearest = colors_.nearestCache();
    if (nearest == nullptr) return ColorStatus::NoMemory;
    diffusion_.emplace(*nearest);
  }
  if (colors_.ordersDither() && !ordered_) {
    MixPlans* plans = colors_.mixPlans();
    if (plans == nullptr) return ColorStatus::NoMemory;
    ordered_.emplace(*plans);
  }
  return ColorStatus::Ok;
}

ColorStatus FrameColors::prepare(const SourceImage& image,
                                 const SourceFrame& frame) {
  dithering_ = false;
  switch (frame.form) {
    case PixelForm::Entries:
      std::memcpy(table_, kIdentity.entries, sizeof table_);
      return ColorStatus::Ok;
    case PixelForm::Indices:
      return prepareIndices(image, frame);
    case PixelForm::Rgba:
      return prepareRgba(frame);
  }
  return ColorStatus::CantTranslate;
}

ColorStatus FrameColors::prepareIndices(const SourceImage& image,
                                        const SourceFrame& frame) {
  const ColorMap* map = maps_.mapFor(frame.ownTable);
  if (map == nullptr) return ColorStatus::CantTranslate;
  if ((diffusion_ || ordered_) && frame.pixelCount() != 0) {
    const ColorTable none;
    const ColorTable& shared = frame.part < image.sharedTables.size()
                                   ? image.sharedTables[frame.part]
                                   : none;
    const ColorTable& table = frame.ownTable.present ? frame.ownTable : shared;
    const std::uint32_t count = table.colors != nullptr ? table.count : 0;
    const bool started =
        diffusion_
            ? diffusion_->start(frame.width, table.colors, count, *map,
                                frame.transparent, frame.transparentIndex)
            : ordered_->start(frame.width, table.colors, count, *map,
                              frame.transparent, frame.transparentIndex,
                              frame.left, frame.top);
    if (!started) return ColorStatus::NoMemory;
    dithering_ = true;
    return ColorStatus::Ok;
  }
  // The transparent index is decided on the index, before mapping: fold it
  // into the table, so that each pixel is one lookup.
  std::memcpy(table_, map->data(), sizeof table_);
  if (frame.transparent) table_[frame.transparentIndex] = 0;
  return ColorStatus::Ok;
}

// Every opaque colour must have an entry before the first pixel is written
// (the first within the delta may find none); a true-colour frame has no
// indices for -n to keep.
ColorStatus FrameColors::prepareRgba(const SourceFrame& frame) {
  if (!colors_.settings().translate) return ColorStatus::NeedsIndices;
  trueColors_ = colors_.trueColorMatch();
  if (trueColors_ == nullptr) return ColorStatus::NoMemory;
  if (colors_.settings().match != ColorMatch::FirstWithinDelta) {
    return ColorStatus::Ok;
  }
  const std::uint8_t* in =
      frame.pixels != nullptr ? frame.pixels->data() : nullptr;
  const std::uint8_t threshold = colors_.alphaThreshold();
  const auto count = static_cast<std::size_t>(frame.pixelCount());
  for (std::size_t i = 0; in != nullptr && i < count; ++i) {
    const std::uint8_t* p = in + 4 * i;
    if (p[3] >= threshold && trueColors_->entry(p[0], p[1], p[2]) == 0) {
      return ColorStatus::CantTranslate;
    }
  }
  return ColorStatus::Ok;
}

// Pixels whose alpha is below the threshold are transparent; every other
// pixel is opaque and takes its colour's entry. In place, each pixel's four
// bytes are read before its one is written.
void FrameColors::writeRgba(const SourceFrame& frame, std::uint8_t* out) {
  const std::uint8_t* in =
      frame.pixels != nullptr ? frame.pixels->data() : nullptr;
  // The block holds every pixel: its size fits size_t.
  const auto count =
      in != nullptr ? static_cast<std::size_t>(frame.pixelCount()) : 0;
  const std::uint8_t threshold = colors_.alphaThreshold();
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = in + 4 * i;
    out[i] = p[3] < threshold ? 0 : trueColors_->entry(p[0], p[1], p[2]);
  }
  if (in == nullptr) {
    std::memset(out, 0, static_cast<std::size_t>(frame.pixelCount()));
  }
}

void FrameColors::write(const SourceFrame& frame, std::uint8_t* out) {
  if (frame.form == PixelForm::Rgba) {
    writeRgba(frame, out);
  } else if (dithering_ && diffusion_) {
    ditherPixels(frame, *diffusion_, out);
  } else if (dithering_) {
    ditherPixels(frame, *ordered_, out);
  } else if (frame.form == PixelForm::Entries && frame.whole() &&
             frame.pixels != nullptr && out == frame.pixels->data()) {
    // Every pixel is in place already.
  } else {
    mapPixels(frame, table_, out);
  }
}
