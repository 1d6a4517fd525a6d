#include "gif2frm/run_colors.h"

#include "color/palette.h"

RunColors::RunColors(const Options& options, const PaletteColors* palette)
    : alphaThreshold_(options.alphaThreshold) {
  // The built-in palette is looked up on every run, also when a file's
  // palette or the identity map makes it unused.
  const std::uint8_t* builtIn = loadPalette();
  settings_.match = options.matchMode;
  settings_.delta = options.colorDelta;
  settings_.translate = options.translateColors;
  settings_.palette = palette != nullptr ? palette->data() : builtIn;
  if (settings_.translate && settings_.palette != nullptr &&
      settings_.match != ColorMatch::FirstWithinDelta) {
    lab_.emplace(settings_.palette);
    settings_.lab = &*lab_;
  }
}

NearestCache* RunColors::nearestCache() {
  if (settings_.lab == nullptr) return nullptr;
  if (!nearestCache_) nearestCache_.emplace(*settings_.lab);
  if (!nearestCache_->allocated() && !nearestCache_->allocate()) {
    return nullptr;
  }
  return &*nearestCache_;
}

MixPlans* RunColors::mixPlans() {
  if (settings_.lab == nullptr) return nullptr;
  // The plans take the cache's memory, and their own, when a colour first
  // needs them: art of palette colours needs neither.
  if (!nearestCache_) nearestCache_.emplace(*settings_.lab);
  if (!mixPlans_) mixPlans_.emplace(*nearestCache_);
  return &*mixPlans_;
}

TrueColorMatch* RunColors::trueColorMatch() {
  if (!trueColorMatch_) {
    trueColorMatch_.emplace(settings_);
    if (!trueColorMatch_->allocate()) {
      trueColorMatch_.reset();
      return nullptr;
    }
  }
  return &*trueColorMatch_;
}
