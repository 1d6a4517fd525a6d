// Every file of the shared PNG corpus: none may crash the reader or make it
// touch memory it does not own (the sanitizer build runs this too), and the
// files that come with expected outputs must give them: Wuffs' NIA checksums
// of still images and composited animations, the composited frames of
// animated-red-blue, image-png's checksum of basic_f20's raw frames and the
// pixels and delays Pillow's tests pin down. The animations' expected
// outputs are of frames as shown, so a small compositor below draws the
// reader's raw frames following the APNG dispose and blend rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "png/png_test_files.h"
#include "support/png_art.h"

namespace {

namespace fs = std::filesystem;

bool corpusMissing() {
  if (fs::exists(pngCorpus())) return false;
  if (std::getenv("CI") != nullptr) ADD_FAILURE() << "CI without the corpus";
  return true;
}

ReadPng readCorpusFile(const std::string& name) {
  return readPngBytes(readFileBytes((pngCorpus() / name).string()));
}

// Draws raw frames one after another on a canvas the APNG way: blend op 0
// replaces the rectangle, 1 draws it OVER (alpha compositing, rounded to
// nearest); after a frame is shown, dispose op 1 clears its rectangle to
// transparent black and 2 restores what was there before (on the first
// frame 2 acts as 1).
class Compositor {
 public:
  explicit Compositor(const PngImage& image)
      : image_(image), canvas_(4 * std::size_t{image.width} * image.height) {}

  // Draws frame index; canvas() is then the frame as shown.
  void draw(std::size_t index) {
    disposePrevious();
    const PngFrame& frame = image_.frames[index];
    if (frame.disposeOp == 2) saved_ = canvas_;
    const std::vector<std::uint8_t> rgba = rgbaOf(image_, frame);
    for (std::uint32_t y = 0; y < frame.height; ++y) {
      for (std::uint32_t x = 0; x < frame.width; ++x) {
        std::uint8_t* to = pixel(frame.left + x, frame.top + y);
        const std::uint8_t* from =
            &rgba[4 * (std::size_t{y} * frame.width + x)];
        if (frame.blendOp == 0) {
          std::copy(from, from + 4, to);
        } else {
          over(from, to);
        }
      }
    }
    last_ = index;
    drawn_ = true;
  }

  const std::vector<std::uint8_t>& canvas() const { return canvas_; }
  std::uint8_t* pixel(std::uint32_t x, std::uint32_t y) {
    return &canvas_[4 * (std::size_t{y} * image_.width + x)];
  }

 private:
  static void over(const std::uint8_t* source, std::uint8_t* target) {
    const unsigned sa = source[3], ta = target[3];
    const unsigned outA255 = sa * 255 + ta * (255 - sa);  // alpha x 255
    if (outA255 == 0) {
      std::fill(target, target + 4, 0);
      return;
    }
    for (int c = 0; c < 3; ++c) {
      const unsigned value = source[c] * sa * 255 + target[c] * ta * (255 - sa);
      target[c] = static_cast<std::uint8_t>((value + outA255 / 2) / outA255);
    }
    target[3] = static_cast<std::uint8_t>((outA255 + 127) / 255);
  }

  void disposePrevious() {
    if (!drawn_) return;
    const PngFrame& frame = image_.frames[last_];
    int op = frame.disposeOp;
    if (op == 2 && last_ == 0) op = 1;
    if (op == 2) canvas_ = saved_;
    if (op != 1) return;
    for (std::uint32_t y = 0; y < frame.height; ++y) {
      std::uint8_t* row = pixel(frame.left, frame.top + y);
      std::fill(row, row + 4 * std::size_t{frame.width}, 0);
    }
  }

  const PngImage& image_;
  std::vector<std::uint8_t> canvas_;
  std::vector<std::uint8_t> saved_;
  std::size_t last_ = 0;
  bool drawn_ = false;
};

void putLittle32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

// An NIE frame as Wuffs' convert-to-nia writes it: header, then B, G, R, A.
// A composited animation's fully transparent pixels are 00 00 00 00; a
// still image's keep their colour (but the reader gives colour-key pixels
// as 00 00 00 00, as Wuffs does).
std::vector<std::uint8_t> nieFrame(const PngImage& image,
                                   const std::vector<std::uint8_t>& rgba) {
  const bool composited = image.animated;
  std::vector<std::uint8_t> nie = {0x6E, 0xC3, 0xAF, 0x45, 0xFF, 'b', 'n', '4'};
  putLittle32(nie, image.width);
  putLittle32(nie, image.height);
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    const bool clear = composited && rgba[i + 3] == 0;
    for (int c : {2, 1, 0}) nie.push_back(clear ? 0 : rgba[i + c]);
    nie.push_back(rgba[i + 3]);
  }
  return nie;
}

// The CRC-32 of the NIA stream Wuffs writes for the image: each frame as
// shown, after the time it is shown at in flicks (705,600,000 a second).
std::uint32_t niaChecksum(const PngImage& image) {
  std::vector<std::uint8_t> nia = {0x6E, 0xC3, 0xAF, 0x41, 0xFF, 'b', 'n', '4'};
  putLittle32(nia, image.width);
  putLittle32(nia, image.height);
  Compositor compositor(image);
  std::uint64_t shownAt = 0;
  for (std::size_t k = 0; k < image.frames.size(); ++k) {
    const PngFrame& frame = image.frames[k];
    compositor.draw(k);
    const std::uint64_t denominator =
        frame.delayDenominator == 0 ? 100 : frame.delayDenominator;
    shownAt += frame.delayNumerator * std::uint64_t{705600000} / denominator;
    putLittle32(nia, static_cast<std::uint32_t>(shownAt));
    putLittle32(nia, static_cast<std::uint32_t>(shownAt >> 32));
    const std::vector<std::uint8_t> nie = nieFrame(image, compositor.canvas());
    nia.insert(nia.end(), nie.begin(), nie.end());
    if (image.width & image.height & 1) nia.insert(nia.end(), 4, 0);
  }
  putLittle32(nia, image.playCount);
  nia.insert(nia.end(), {0, 0, 0, 0x80});
  return pngCrc32(nia.data(), nia.size());
}

TEST(PngCorpus, EveryFileReadsOrFailsCleanly) {
  if (corpusMissing()) GTEST_SKIP() << "no corpus at " << pngCorpus();
  const std::vector<fs::path> files = corpusPngFiles();
  EXPECT_EQ(files.size(), 281u);
  int read = 0, animated = 0, frames = 0;
  std::map<int, int> refused;
  for (const fs::path& path : files) {
    SCOPED_TRACE(corpusName(path));
    const ReadPng png = readPngBytes(readFileBytes(path.string()));
    const int status = static_cast<int>(png.status);
    EXPECT_TRUE(status >= 0 && status <= 6) << status;
    png.status == PngStatus::Ok ? ++read : ++refused[status];
    if (png.status == PngStatus::Ok && png.image->animated) ++animated;
    for (const PngFrame& frame : png.image->frames) {
      ++frames;
      EXPECT_LE(std::uint64_t{frame.left} + frame.width, png.image->width);
      EXPECT_LE(std::uint64_t{frame.top} + frame.height, png.image->height);
      EXPECT_EQ(frame.pixels.headroom(), PngFrame::kPixelHeadroom);
      EXPECT_EQ(frame.pixels.size(), std::size_t{frame.width} * frame.height *
                                         png.image->bytesPerPixel());
      unsigned sum = 0;  // every pixel read, for the sanitizers
      for (std::size_t i = 0; i < frame.pixels.size(); ++i) {
        sum += frame.pixels.data()[i];
      }
      EXPECT_GE(sum, 0u);
    }
  }
  std::printf(
      "PNG corpus: %zu files, %d read (%d of them animated, %d frames "
      "in all); refused:",
      files.size(), read, animated, frames);
  for (const auto& [status, count] : refused) {
    std::printf(" status %d x %d", status, count);
  }
  std::printf("\n");
}

// Wuffs' checksum lists: "OK." files must give the same NIA stream, "BAD"
// files (an error reported) must be refused.
void checkNiaList(const std::string& list, const std::string& prefix,
                  const std::string& folder, int& compared) {
  std::ifstream lines((pngCorpus() / "wuffs" / list).string());
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string verdict, checksum, path;
    if (!(fields >> verdict >> checksum >> path)) continue;
    if (path.rfind(prefix, 0) != 0) continue;
    const std::string name = folder + path.substr(prefix.size());
    const std::string extension = fs::path(name).extension().string();
    if (extension != ".png" && extension != ".apng") continue;
    if (!fs::exists(pngCorpus() / name)) continue;
    SCOPED_TRACE(name);
    const ReadPng png = readCorpusFile(name);
    ++compared;
    if (verdict == "BAD") {
      EXPECT_NE(png.status, PngStatus::Ok);
      continue;
    }
    ASSERT_EQ(png.status, PngStatus::Ok);
    char ours[9];
    std::snprintf(ours, sizeof ours, "%08x", niaChecksum(*png.image));
    EXPECT_EQ(ours, checksum);
  }
}

TEST(PngCorpus, ImagesGiveWuffsNiaChecksums) {
  if (corpusMissing()) GTEST_SKIP() << "no corpus at " << pngCorpus();
  int compared = 0;
  checkNiaList("nia-checksums-of-pngsuite.txt", "test/3pdata/pngsuite/",
               "pngsuite/", compared);
  checkNiaList("nia-checksums-of-data.txt", "test/data/", "wuffs/", compared);
  // 162 of PngSuite (the 2017 edition's exif2c08 is not in the corpus) and
  // 29 of Wuffs' files, three of them animations.
  EXPECT_EQ(compared, 162 + 29);
}

TEST(PngCorpus, AnimatedRedBlueFramesAsShown) {
  if (corpusMissing()) GTEST_SKIP() << "no corpus at " << pngCorpus();
  const ReadPng png = readCorpusFile("wuffs/animated-red-blue.apng");
  ASSERT_EQ(png.status, PngStatus::Ok);
  const PngImage& image = *png.image;
  ASSERT_EQ(image.frames.size(), 4u);
  EXPECT_EQ(image.playCount, 3u);
  const std::uint32_t sizes[4][2] = {{64, 48}, {37, 9}, {49, 40}, {37, 9}};
  Compositor compositor(image);
  for (std::size_t k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(image.frames[k].width, sizes[k][0]);
    EXPECT_EQ(image.frames[k].height, sizes[k][1]);
    compositor.draw(k);
    const std::string nie =
        "wuffs/animated-red-blue.00000" + std::to_string(k) + ".nie";
    const std::vector<std::uint8_t> expected =
        readFileBytes((pngCorpus() / nie).string());
    EXPECT_EQ(nieFrame(image, compositor.canvas()), expected);
  }
}

// image-png's results_apng.txt: each raw frame written at the start of one
// zeroed canvas-sized RGBA buffer, the CRC-32 running over the whole buffer
// after every frame.
TEST(PngCorpus, BasicF20RawFramesGiveImagePngChecksum) {
  if (corpusMissing()) GTEST_SKIP() << "no corpus at " << pngCorpus();
  const ReadPng png = readCorpusFile("image-png/tests/animated/basic_f20.png");
  ASSERT_EQ(png.status, PngStatus::Ok);
  const PngImage& image = *png.image;
  ASSERT_EQ(image.frames.size(), 20u);
  std::vector<std::uint8_t> buffer(4 * std::size_t{image.width} * image.height);
  std::uint32_t crc = 0;
  for (const PngFrame& frame : image.frames) {
    const std::vector<std::uint8_t> rgba = rgbaOf(image, frame);
    std::copy(rgba.begin(), rgba.end(), buffer.begin());
    crc = pngCrc32(buffer.data(), buffer.size(), crc);
  }
  EXPECT_EQ(crc, 284018616u);
}

struct PinnedPixel {
  const char* file;
  std::uint32_t x, y;
  std::uint8_t rgba[4];
};

// The last frame as shown, as Pillow's tests pin it (the OVER result where
// Pillow's own blending differs).
const PinnedPixel kPillowPixels[] = {
    {"blend_op_over.png", 0, 0, {0, 255, 0, 255}},
    {"blend_op_source_near_transparent.png", 0, 0, {0, 255, 0, 2}},
    {"blend_op_source_transparent.png", 0, 0, {0, 0, 0, 0}},
    {"dispose_op_background.png", 0, 0, {0, 0, 0, 0}},
    {"dispose_op_background_before_region.png", 0, 0, {0, 0, 0, 0}},
    {"dispose_op_background_final.png", 0, 0, {0, 255, 0, 255}},
    {"dispose_op_background_region.png", 0, 0, {0, 0, 255, 255}},
    {"dispose_op_background_region.png", 64, 32, {0, 0, 0, 0}},
    {"dispose_op_none_region.png", 0, 0, {0, 255, 0, 255}},
    {"dispose_op_previous.png", 0, 0, {0, 255, 0, 255}},
    {"dispose_op_previous_first.png", 0, 0, {0, 0, 0, 0}},
    {"dispose_op_previous_frame.png", 0, 0, {255, 0, 0, 255}},
    {"dispose_op_previous_region.png", 0, 0, {0, 255, 0, 255}},
    {"mode_16bit.png", 0, 0, {0, 0, 128, 255}},
    {"mode_grayscale_alpha.png", 0, 0, {128, 128, 128, 255}},
    {"mode_palette_alpha.png", 0, 0, {0, 255, 0, 255}},
    {"split_fdat_zero_chunk.png", 64, 32, {0, 255, 0, 255}},
    {"single_frame.png", 64, 32, {0, 255, 0, 255}},
};

TEST(PngCorpus, PillowLastFramesAsShown) {
  if (corpusMissing()) GTEST_SKIP() << "no corpus at " << pngCorpus();
  for (const PinnedPixel& pinned : kPillowPixels) {
    const std::string name =
        std::string("pillow/Tests/images/apng/") + pinned.file;
    SCOPED_TRACE(name + " at " + std::to_string(pinned.x) + "," +
                 std::to_string(pinned.y));
    const ReadPng png = readCorpusFile(name);
    ASSERT_EQ(png.status, PngStatus::Ok);
    Compositor compositor(*png.image);
    for (std::size_t k = 0; k < png.image->frames.size(); ++k) {
      compositor.draw(k);
    }
    const std::uint8_t* shown = compositor.pixel(pinned.x, pinned.y);
    EXPECT_EQ(std::vector<std::uint8_t>(shown, shown + 4),
              std::vector<std::uint8_t>(pinned.rgba, pinned.rgba + 4));
  }
}

TEST(PngCorpus, DelaysAndStillFallbacksAsStored) {
  if (corpusMissing()) GTEST_SKIP() << "no corpus at " << pngCorpus();
  const std::string apng = "pillow/Tests/images/apng/";
  const ReadPng delay = readCorpusFile(apng + "delay.png");
  ASSERT_EQ(delay.status, PngStatus::Ok);
  const std::uint16_t delays[][2] = {
      {50, 100}, {100, 100}, {10000, 20000}, {1, 1}};
  // The default image is no frame: the frames are the four of the fcTLs.
  ASSERT_EQ(delay.image->frames.size(), 4u);
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(delay.image->frames[k].delayNumerator, delays[k][0]);
    EXPECT_EQ(delay.image->frames[k].delayDenominator, delays[k][1]);
  }
  const ReadPng zero = readCorpusFile(apng + "delay_zero_denom.png");
  ASSERT_EQ(zero.status, PngStatus::Ok);
  EXPECT_EQ(zero.image->frames[0].delayNumerator, 50);
  EXPECT_EQ(zero.image->frames[0].delayDenominator, 0);
  // acTL after IDAT, or fcTL and fdAT without acTL: a still image.
  for (const char* still : {"chunk_actl_after_idat.png", "chunk_no_actl.png"}) {
    SCOPED_TRACE(still);
    const ReadPng png = readCorpusFile(apng + still);
    ASSERT_EQ(png.status, PngStatus::Ok);
    EXPECT_FALSE(png.image->animated);
    ASSERT_EQ(png.image->frames.size(), 1u);
    EXPECT_EQ(png.image->frames[0].width, png.image->width);
    EXPECT_EQ(png.image->frames[0].delayDenominator, 0);
  }
}

}  // namespace
