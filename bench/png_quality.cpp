// How close a true-colour render comes out of the converter, read directly
// as a PNG against first made into a GIF by ImageMagick (`convert in.png
// out.gif`, Debian imagemagick) and that GIF converted, each with -m=nearest
// and -m=dither. Run by hand; prints a Markdown table:
//
//   png_quality [--art DIR]
//
// The figures, over the pixels the render holds opaque (alpha 128 or more,
// the converter's default threshold):
// - mean Delta E: the mean CIE76 distance between the render's colour and
//   the colour of the palette entry the FRM frame holds there;
// - blurred mean Delta E: the same after a Gaussian blur of sigma 1 pixel
//   (kernel radius 3) of both pictures in linear light, each blurred over
//   its own opaque pixels (the weights of transparent ones left out), which
//   is how a dithered picture looks from a little way off;
// - lost: those pixels transparent in the FRM frame (they have no colour,
//   and are left out of both means).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/png_bench_art.h"
#include "color/cielab.h"
#include "color/palette.h"
#include "color/six_bit.h"
#include "gif/lzw_decoder.h"
#include "gif2frm/conversion.h"
#include "png/png_reader.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kOpaque = 128;

// A picture in linear light, with a weight per pixel: 1 where it has a
// colour, 0 where it is transparent.
struct LinearPicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<double> rgb;     // 3 a pixel
  std::vector<double> weight;  // 1 a pixel
};

LinearPicture blank(std::uint32_t width, std::uint32_t height) {
  LinearPicture picture;
  picture.width = width;
  picture.height = height;
  picture.rgb.assign(3 * std::size_t{width} * height, 0.0);
  picture.weight.assign(std::size_t{width} * height, 0.0);
  return picture;
}

void setPixel(LinearPicture& picture, std::size_t i, const std::uint8_t* rgb) {
  for (int c = 0; c < 3; ++c) picture.rgb[3 * i + c] = linearFromSrgb(rgb[c]);
  picture.weight[i] = 1.0;
}

// The render's opaque pixels.
LinearPicture sourcePicture(const PngImage& png) {
  LinearPicture picture = blank(png.width, png.height);
  const std::uint8_t* pixels = png.frames[0].pixels.data();
  for (std::size_t i = 0; i < std::size_t{png.width} * png.height; ++i) {
    if (pixels[4 * i + 3] >= kOpaque) setPixel(picture, i, pixels + 4 * i);
  }
  return picture;
}

// The FRM's one frame on the canvas, placed back where its offsets say
// (the first frame's offsets are its reference point's place).
LinearPicture frmPicture(const FrmImage& image, std::uint32_t width,
                         std::uint32_t height) {
  LinearPicture picture = blank(width, height);
  const FrmFrame& frame = *image.frames[0];
  const std::int32_t left =
      frame.offsetX + (static_cast<std::int32_t>(width) - frame.width) / 2;
  const std::int32_t top =
      frame.offsetY - frame.height + static_cast<std::int32_t>(height);
  const std::uint8_t* palette = loadPalette();
  for (std::int32_t y = 0; y < frame.height; ++y) {
    for (std::int32_t x = 0; x < frame.width; ++x) {
      const std::uint8_t entry = frame.pixels()[y * frame.width + x];
      const std::int32_t cx = left + x, cy = top + y;
      if (entry == 0 || cx < 0 || cy < 0 || cx >= static_cast<int>(width) ||
          cy >= static_cast<int>(height)) {
        continue;
      }
      std::uint8_t rgb[3];
      for (int c = 0; c < 3; ++c) rgb[c] = expandSixBit(palette[3 * entry + c]);
      setPixel(picture, std::size_t(cy) * width + std::size_t(cx), rgb);
    }
  }
  return picture;
}

// Gaussian blur of sigma 1, separable, normalised by the blurred weights.
LinearPicture blurred(const LinearPicture& in) {
  constexpr int kRadius = 3;
  double kernel[2 * kRadius + 1];
  for (int k = -kRadius; k <= kRadius; ++k) {
    kernel[k + kRadius] = std::exp(-0.5 * k * k);
  }
  auto pass = [&](const LinearPicture& from, bool horizontal) {
    LinearPicture to = blank(from.width, from.height);
    const int w = static_cast<int>(from.width),
              h = static_cast<int>(from.height);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const std::size_t i = std::size_t(y) * from.width + std::size_t(x);
        for (int k = -kRadius; k <= kRadius; ++k) {
          const int sx = horizontal ? x + k : x, sy = horizontal ? y : y + k;
          if (sx < 0 || sy < 0 || sx >= w || sy >= h) continue;
          const std::size_t j = std::size_t(sy) * from.width + std::size_t(sx);
          const double g = kernel[k + kRadius];
          // The colours carry their weights until the end.
          for (int c = 0; c < 3; ++c)
            to.rgb[3 * i + c] += g * from.rgb[3 * j + c];
          to.weight[i] += g * from.weight[j];
        }
      }
    }
    return to;
  };
  LinearPicture weighted = in;
  for (std::size_t i = 0; i < in.weight.size(); ++i) {
    for (int c = 0; c < 3; ++c) weighted.rgb[3 * i + c] *= in.weight[i];
  }
  LinearPicture out = pass(pass(weighted, true), false);
  for (std::size_t i = 0; i < out.weight.size(); ++i) {
    for (int c = 0; c < 3; ++c) {
      out.rgb[3 * i + c] =
          out.weight[i] > 0 ? out.rgb[3 * i + c] / out.weight[i] : 0.0;
    }
  }
  return out;
}

Lab labOf(const LinearPicture& picture, std::size_t i) {
  const double* rgb = &picture.rgb[3 * i];
  return labFromXyz(xyzFromLinear(rgb[0], rgb[1], rgb[2]));
}

struct Closeness {
  double mean = 0;
  double blurredMean = 0;
  std::size_t lost = 0;
  std::size_t counted = 0;
};

Closeness closeness(const LinearPicture& source, const LinearPicture& result) {
  const LinearPicture sourceBlur = blurred(source);
  const LinearPicture resultBlur = blurred(result);
  Closeness c;
  double sum = 0, blurredSum = 0;
  for (std::size_t i = 0; i < source.weight.size(); ++i) {
    if (source.weight[i] == 0) continue;
    if (result.weight[i] == 0) {
      ++c.lost;
      continue;
    }
    ++c.counted;
    sum += std::sqrt(squaredDeltaE(labOf(source, i), labOf(result, i)));
    blurredSum +=
        std::sqrt(squaredDeltaE(labOf(sourceBlur, i), labOf(resultBlur, i)));
  }
  if (c.counted != 0) {
    c.mean = sum / static_cast<double>(c.counted);
    c.blurredMean = blurredSum / static_cast<double>(c.counted);
  }
  return c;
}

// The input converted in memory with the mode; false when it fails.
bool convert(const Bytes& bytes, ColorMatch mode, FrmImage& image) {
  Options options;
  options.matchMode = mode;
  const auto decoder = std::make_unique<LzwDecoder>();
  return convertBytes(bytes.data(), bytes.size(), options, image, *decoder)
      .done();
}

}  // namespace

int main(int argc, char** argv) {
  std::string art = GIF2FRM_PNG_CONVERSION_BENCH_ART;
  if (argc == 3 && std::strcmp(argv[1], "--art") == 0) {
    art = argv[2];
  } else if (argc != 1) {
    std::fprintf(stderr, "usage: %s [--art DIR]\n", argv[0]);
    return 2;
  }
  const std::string png = bench::makePngArt(art, bench::kRenderArt);
  const std::string gif = (fs::path(art) / "render.gif").string();
  if (png.empty()) {
    std::fprintf(stderr, "could not make the render with %s\n",
                 bench::kImageMagickConvert);
    return 1;
  }
  const std::string command =
      std::string(bench::kImageMagickConvert) + " '" + png + "' '" + gif + "'";
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "%s failed\n", command.c_str());
    return 1;
  }
  const Bytes pngBytes = readFileBytes(png);
  PngImage render;
  PngInput input(pngBytes.data(), pngBytes.size());
  if (readPng(input, PngLimits{}, render) != PngStatus::Ok || render.indexed ||
      render.frames.size() != 1) {
    std::fprintf(stderr, "the render is not one RGBA frame\n");
    return 1;
  }
  const LinearPicture source = sourcePicture(render);
  const struct {
    const char* path;
    const char* label;
  } routes[] = {{png.c_str(), "PNG, directly"},
                {gif.c_str(), "GIF by ImageMagick, then converted"}};
  const struct {
    ColorMatch mode;
    const char* label;
  } modes[] = {{ColorMatch::Nearest, "-m=nearest"},
               {ColorMatch::Dither, "-m=dither"}};
  std::printf("%s: %s\n\n", png.c_str(), bench::kRenderArt.what);
  std::printf(
      "| input | mode | mean Delta E | blurred mean Delta E | opaque pixels "
      "compared | lost |\n|---|---|---:|---:|---:|---:|\n");
  for (const auto& route : routes) {
    const Bytes bytes = readFileBytes(route.path);
    for (const auto& mode : modes) {
      FrmImage image;
      if (!convert(bytes, mode.mode, image) || image.frameCount() != 1) {
        std::printf("| %s | %s | does not convert | | | |\n", route.label,
                    mode.label);
        continue;
      }
      const Closeness c =
          closeness(source, frmPicture(image, render.width, render.height));
      std::printf("| %s | %s | %.2f | %.2f | %zu | %zu |\n", route.label,
                  mode.label, c.mean, c.blurredMean, c.counted, c.lost);
    }
  }
  return 0;
}
