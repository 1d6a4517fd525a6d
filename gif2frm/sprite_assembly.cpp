#include "gif2frm/sprite_assembly.h"

#include <cstdio>

#include "frm/frm_records.h"
#include "gif2frm/frame_rate.h"

namespace {

// A number as it appears in a message. Formatted by snprintf, not
// std::to_string: the standard library builds that string in code that the
// MemorySanitizer build does not instrument, which then reports its bytes
// as uninitialised.
std::string decimal(unsigned long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%llu", value);
  std::string result;
  result.assign(text);
  return result;
}

}  // namespace

SpriteAssembly::SpriteAssembly(const Options& options, FrmImage& image,
                               const PaletteColors* palette)
    : options_(options),
      image_(image),
      colors_(options, palette),
      maps_(colors_),
      frameColors_(colors_, maps_) {
  layout_.directionCount =
      options.sixDirectionsInOne || hasDirectionFiles(options) ? kFrmDirections
                                                               : 1;
}

int SpriteAssembly::inputCount() const {
  return hasDirectionFiles(options_) ? kFrmDirections : 1;
}

SpriteStatus SpriteAssembly::checkFirst(const SourceImage& source) {
  const std::size_t images = source.frames.size();
  if (images == 0) return SpriteStatus::NoImage;
  std::size_t perDirection = images;
  if (options_.sixDirectionsInOne) {
    if (images % kFrmDirections != 0) {
      detail_.assign(decimal(images));
      return SpriteStatus::ImagesNotDivisible;
    }
    perDirection = images / kFrmDirections;
  }
  // Checked before any colour is matched, so that the outcome for such a
  // file does not depend on its colours.
  if (perDirection > kFrmMaxFramesPerDirection ||
      frameAreaOf(source) > kFrmMaxFrameArea) {
    return SpriteStatus::TooLarge;
  }
  if (options_.actionFrame >= perDirection) {
    detail_.assign(decimal(options_.actionFrame));
    return SpriteStatus::ActionFrameOutOfRange;
  }
  layout_.framesPerDirection = static_cast<std::uint16_t>(perDirection);
  return SpriteStatus::Ok;
}

SpriteStatus SpriteAssembly::checkLater(const SourceImage& source) const {
  if (source.frames.empty()) return SpriteStatus::NoImage;
  if (source.frames.size() != layout_.framesPerDirection) {
    return SpriteStatus::UnequalDirections;
  }
  if (frameArea_ + frameAreaOf(source) > kFrmMaxFrameArea) {
    return SpriteStatus::TooLarge;
  }
  return SpriteStatus::Ok;
}

SpriteStatus SpriteAssembly::add(SourceImage& source) {
  const SpriteStatus status = addImage(source);
  maps_.restart();  // the next input starts with maps of its own
  return status;
}

SpriteStatus SpriteAssembly::addImage(SourceImage& source) {
  detail_.clear();
  // More inputs than the sprite takes have no directions left to fill.
  if (added_ >= inputCount()) return SpriteStatus::UnequalDirections;
  const SpriteStatus checked =
      added_ == 0 ? checkFirst(source) : checkLater(source);
  if (checked != SpriteStatus::Ok) return checked;

  if (added_ == 0) {
    // Direction 0 decides the rate; the delays are still there.
    image_.framesPerSecond =
        options_.frameRateSource == FrameRateSource::FromGifs
            ? framesPerSecondFromDelays(source, layout_.framesPerDirection)
            : options_.framesPerSecond;
    image_.actionFrame = options_.actionFrame;
  }
  frameArea_ += frameAreaOf(source);
  layout_.firstDirection = added_;
  ++added_;
  return buildDirections(source, options_, layout_, frameColors_, image_, true);
}
