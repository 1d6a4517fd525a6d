// The quality benchmark's test set, made at run time: pictures that
// ImageMagick draws (its built-in images, a seeded plasma, gradients), a
// shaded sphere on transparency and two animations drawn here, each as rows
// of 8-bit red, green, blue, alpha.
#ifndef GIF2FRM_BENCH_QUALITY_IMAGES_H_
#define GIF2FRM_BENCH_QUALITY_IMAGES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct RgbaImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rgba;  // 4 bytes a pixel, row by row
};

// One test picture: a still (one frame) or an animation.
struct TestPicture {
  std::string name;
  bool smooth = false;  // a smooth render: gradients and shading only
  std::vector<RgbaImage> frames;
};

// The whole set; pictures that need ImageMagick are left out when its
// convert cannot be run (notes says so).
std::vector<TestPicture> makeTestSet(std::vector<std::string>& notes);

// Runs convert with the arguments before the output, reading its picture
// as 8-bit RGBA; false when convert fails.
bool readWithConvert(const std::string& arguments, RgbaImage& image);

// Writes image as a PNG file through convert; false when that fails.
bool writePng(const RgbaImage& image, const std::string& path);

// Whether ImageMagick's convert (not a stand-in) can be run.
bool haveImageMagick();

}  // namespace bench

#endif  // GIF2FRM_BENCH_QUALITY_IMAGES_H_
