// The colour step of the assembly: a frame's pixels, whatever their form,
// become palette entries by the run's match mode, transparent pixels and
// pixels the decoder never reached becoming 0.
#ifndef GIF2FRM_CONVERTER_FRAME_COLORS_H_
#define GIF2FRM_CONVERTER_FRAME_COLORS_H_

#include <cstdint>
#include <optional>

#include "color/floyd_steinberg.h"
#include "color/ordered_dither.h"
#include "gif2frm/indexed_maps.h"
#include "gif2frm/run_colors.h"
#include "gif2frm/source_image.h"

// Why a frame's colours could not be written.
enum class ColorStatus {
  Ok,
  CantTranslate,  // a colour has no palette entry within the delta
  NoMemory,       // the dithering's memory could not be had
  NeedsIndices,   // -n, but the pixels are true colour: no index to keep
};

class FrameColors {
 public:
  // colors and maps must outlive this object; maps are the image's own, and
  // may have been used by its reader already.
  FrameColors(RunColors& colors, IndexedMaps& maps)
      : colors_(colors), maps_(maps) {}
  FrameColors(const FrameColors&) = delete;
  FrameColors& operator=(const FrameColors&) = delete;

  // Before the first frame of each part of an image: matches the part's
  // shared table. fresh: the maps start empty, as for a part that was not
  // the last one decoded; otherwise they go on from what its reader matched.
  ColorStatus startPart(const SourceImage& image, std::uint32_t part,
                        bool fresh);

  // Before a frame's pixels are written, and before its FRM frame exists:
  // matches the frame's own table and sets up what writing it needs.
  ColorStatus prepare(const SourceImage& image, const SourceFrame& frame);

  // Writes the prepared frame's width x height palette entries to out,
  // which may be the frame's own pixel block: each pixel is read before it
  // is written.
  void write(const SourceFrame& frame, std::uint8_t* out);

 private:
  RunColors& colors_;
  IndexedMaps& maps_;
  std::optional<FloydSteinberg> diffusion_;
  std::optional<OrderedDither> ordered_;
  ColorStatus prepareIndices(const SourceImage& image,
                             const SourceFrame& frame);
  ColorStatus prepareRgba(const SourceFrame& frame);
  void writeRgba(const SourceFrame& frame, std::uint8_t* out);

  bool dithering_ = false;  // the prepared frame is dithered, not mapped
  TrueColorMatch* trueColors_ = nullptr;  // for Rgba frames
  // The prepared frame's map, its transparent index folded in.
  std::uint8_t table_[256] = {};
};

#endif  // GIF2FRM_CONVERTER_FRAME_COLORS_H_
