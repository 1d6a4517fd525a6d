// What the quality benchmark measures of a mapped picture against its
// source: CIE76 Delta E per opaque pixel, and after both are blurred as the
// eye blends neighbouring pixels (a Gaussian of sigma 1 pixel in linear
// light), the lightness bias of that blend, and for animations the flicker.
#ifndef GIF2FRM_BENCH_QUALITY_MEASURES_H_
#define GIF2FRM_BENCH_QUALITY_MEASURES_H_

#include <vector>

#include "bench/quality_images.h"

namespace bench {

struct Quality {
  double meanDeltaE = 0;     // over the opaque pixels of every frame
  double p95DeltaE = 0;      // the 95th percentile of the same
  double blurredDeltaE = 0;  // the mean after the blur of both
  double lightnessBias = 0;  // mean L* of the blurred result minus source's
  // Of the pixels whose source did not change from one frame to the next,
  // the share (%) whose output did; negative for a still.
  double flicker = -1;
};

// output: one picture per frame of source, of the same size; only its
// red, green and blue are read. Pixels whose source alpha is below 128 are
// transparent and left out of every measure.
Quality measureQuality(const TestPicture& source,
                       const std::vector<RgbaImage>& output);

}  // namespace bench

#endif  // GIF2FRM_BENCH_QUALITY_MEASURES_H_
