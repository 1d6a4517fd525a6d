#include "gif2frm/sprite_assembly.h"

#include <cstdio>

#include "frm/frm_records.h"
#include "gif2frm/frame_rate.h"

namespace {

bool hasAnyDirectionFile(const Options& options) {
  for (int k = 1; k < kDirectionFileCount; ++k) {
    if (options.hasDirectionFile[k]) return true;
  }
  return false;
}

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

RunOutcome assemblyOutcome(AssemblyStatus status) {
  switch (status) {
    case AssemblyStatus::Ok:
      return RunOutcome::Converted;
    case AssemblyStatus::CantTranslate:
      return RunOutcome::CantTranslate;
    case AssemblyStatus::NoMemory:
      return RunOutcome::NoMemory;
  }
  return RunOutcome::NoMemory;
}

}  // namespace

RunOutcome checkDirectionOptions(const Options& options, std::string& missing) {
  if (!hasAnyDirectionFile(options)) return RunOutcome::Converted;
  if (options.sixDirectionsInOne) return RunOutcome::MixedDirectionSources;
  for (int k = 1; k < kDirectionFileCount; ++k) {
    if (!options.hasDirectionFile[k]) {
      missing.assign("-")
          .append(decimal(static_cast<unsigned>(k)))
          .append("=FILE");
      return RunOutcome::MissingDirectionFile;
    }
  }
  return RunOutcome::Converted;
}

SpriteAssembly::SpriteAssembly(const Options& options, FrmImage& image,
                               const PaletteColors* palette)
    : options_(options),
      image_(image),
      colors_(options, palette),
      maps_(colors_) {
  layout_.directionCount =
      options.sixDirectionsInOne || hasAnyDirectionFile(options)
          ? kFrmDirections
          : 1;
}

int SpriteAssembly::gifCount() const {
  return hasAnyDirectionFile(options_) ? kFrmDirections : 1;
}

RunOutcome SpriteAssembly::checkFirst(const GifFile& gif) {
  const std::size_t images = gif.frames.size();
  if (images == 0) return RunOutcome::EmptyGif;
  std::size_t perDirection = images;
  if (options_.sixDirectionsInOne) {
    if (images % kFrmDirections != 0) {
      detail_.assign(decimal(images));
      return RunOutcome::ImagesNotDivisible;
    }
    perDirection = images / kFrmDirections;
  }
  // Checked before any colour is matched, so that the outcome for such a
  // file does not depend on its colours.
  if (perDirection > kFrmMaxFramesPerDirection ||
      frameAreaOf(gif) > kFrmMaxFrameArea) {
    return RunOutcome::TooLargeForFrm;
  }
  if (options_.actionFrame >= perDirection) {
    detail_.assign(decimal(options_.actionFrame));
    return RunOutcome::ActionFrameOutOfRange;
  }
  layout_.framesPerDirection = static_cast<std::uint16_t>(perDirection);
  return RunOutcome::Converted;
}

RunOutcome SpriteAssembly::checkLater(const GifFile& gif) const {
  if (gif.frames.size() != layout_.framesPerDirection) {
    return RunOutcome::UnequalDirections;
  }
  if (frameArea_ + frameAreaOf(gif) > kFrmMaxFrameArea) {
    return RunOutcome::TooLargeForFrm;
  }
  return RunOutcome::Converted;
}

RunOutcome SpriteAssembly::add(GifFile& gif) {
  const RunOutcome outcome = addGif(gif);
  maps_.restart();  // the next GIF starts with maps of its own
  return outcome;
}

RunOutcome SpriteAssembly::addGif(GifFile& gif) {
  detail_.clear();
  // More GIFs than the sprite takes have no directions left to fill.
  if (added_ >= gifCount()) return RunOutcome::UnequalDirections;
  const RunOutcome checked = added_ == 0 ? checkFirst(gif) : checkLater(gif);
  if (checked != RunOutcome::Converted) return checked;

  if (added_ == 0) {
    // Direction 0 decides the rate; the GIF's delays are still there.
    image_.framesPerSecond =
        options_.frameRateSource == FrameRateSource::FromGifs
            ? framesPerSecondFromDelays(gif, layout_.framesPerDirection)
            : options_.framesPerSecond;
    image_.actionFrame = options_.actionFrame;
  }
  frameArea_ += frameAreaOf(gif);
  layout_.firstDirection = added_;
  ++added_;
  return assemblyOutcome(buildDirectionsReleasingPixels(
      gif, options_, layout_, colors_, maps_, image_));
}
