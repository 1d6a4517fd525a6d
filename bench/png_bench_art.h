// The true-colour pictures of the PNG conversion benchmarks, made at run
// time by ImageMagick (Debian imagemagick) and kept in a folder of the build
// tree, never committed; and the palette as a PNG map for pngquant.
#ifndef GIF2FRM_BENCH_PNG_BENCH_ART_H_
#define GIF2FRM_BENCH_PNG_BENCH_ART_H_

#include <string>

namespace bench {

// ImageMagick's convert itself (/usr/bin/convert), not a stand-in found
// earlier in PATH.
extern const char kImageMagickConvert[];

struct TrueColorArt {
  const char* name;
  const char* what;
  const char* arguments;  // convert's, before the output file
};

// A 200 x 200 RGBA render: a figure shaded by a radial light over seeded
// plasma, its outline drawn anti-aliased into the alpha channel.
extern const TrueColorArt kRenderArt;
// A 1000 x 1000 RGB photo-like picture (seeded plasma), as png_bench's.
extern const TrueColorArt kPhotoArt;

// Makes folder/art.name unless it is there; its path, or empty when convert
// failed.
std::string makePngArt(const std::string& folder, const TrueColorArt& art);

// Writes folder/map.png unless it is there (by convert, from the raw
// colours): entries 1..228 of the built-in palette in order, one pixel
// each, each component widened from 6 to 8 bits as (c << 2) | (c >> 4), as
// 8-bit RGB. Its path, or empty when it cannot be written.
std::string makePaletteMap(const std::string& folder);

}  // namespace bench

#endif  // GIF2FRM_BENCH_PNG_BENCH_ART_H_
