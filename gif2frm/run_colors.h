// The colour matching a run asks for, set up once per run from its options:
// the palette (built-in, or the colours of -p='s file), that palette's
// entries in CIELAB when the match mode needs them, and the settings that
// color/'s buildColorMap takes. -n makes every map the identity whatever
// -m= says, and then nothing is dithered either.
#ifndef GIF2FRM_CONVERTER_RUN_COLORS_H_
#define GIF2FRM_CONVERTER_RUN_COLORS_H_

#include <cstdint>
#include <optional>

#include "color/color_matching.h"
#include "color/floyd_steinberg.h"
#include "color/ordered_dither.h"
#include "color/palette_file.h"
#include "color/palette_lab.h"
#include "color/true_color_match.h"
#include "gif2frm/options.h"

class RunColors {
 public:
  // palette: the colours read from -p='s file, or null for the built-in
  // palette; it must outlive this object.
  RunColors(const Options& options, const PaletteColors* palette);
  RunColors(const RunColors&) = delete;
  RunColors& operator=(const RunColors&) = delete;

  const MatchSettings& settings() const { return settings_; }
  // Whether pixels are diffused rather than mapped through their table's map.
  bool dithers() const {
    return settings_.translate && settings_.match == ColorMatch::Dither;
  }
  // Whether pixels are dithered by a pattern tied to the canvas.
  bool ordersDither() const {
    return settings_.translate && settings_.match == ColorMatch::Ordered;
  }
  // For dithering: the nearest entries of the colours it meets, kept for the
  // whole run (all GIFs of a sprite). Made on first use; null when its
  // memory cannot be had.
  NearestCache* nearestCache();
  // For ordered dithering: the plans of the colours it meets, kept for the
  // whole run; their memory is had on first need (MixPlans::reserve).
  MixPlans* mixPlans();
  // For true-colour pixels matched without dithering: each colour's entry,
  // kept for the whole run. Made on first use; null when its memory cannot
  // be had.
  TrueColorMatch* trueColorMatch();

  // The alpha below which a true-colour pixel or a palette entry is
  // transparent (-t=).
  std::uint8_t alphaThreshold() const { return alphaThreshold_; }

 private:
  std::optional<PaletteLab> lab_;  // for every mode but first
  std::optional<NearestCache> nearestCache_;
  std::optional<MixPlans> mixPlans_;
  std::optional<TrueColorMatch> trueColorMatch_;
  MatchSettings settings_;
  std::uint8_t alphaThreshold_;
};

#endif  // GIF2FRM_CONVERTER_RUN_COLORS_H_
