// Every GIF of the shared corpus of public decoder test suites: none may
// crash the reader or make it touch memory it does not own (the sanitizer
// build runs this too), and the files that come with exact expected pixels
// must decode to them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gif/gif_file.h"
#include "gif/lzw_decoder.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = GIF2FRM_CORPUS;

std::vector<fs::path> corpusGifs() {
  std::vector<fs::path> gifs;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(kCorpus, error)) {
    if (entry.is_regular_file() && entry.path().extension() == ".gif") {
      gifs.push_back(entry.path());
    }
  }
  std::sort(gifs.begin(), gifs.end());
  return gifs;
}

// The corpus lies beside the repository. A developer's checkout may lack it;
// CI never does, and there its absence is a failure, not a skip.
bool corpusMissing() {
  if (fs::exists(kCorpus)) return false;
  if (std::getenv("CI") != nullptr) {
    ADD_FAILURE() << "CI without the GIF corpus at " << kCorpus;
  }
  return true;
}

struct Loaded {
  GifStatus status;
  std::unique_ptr<GifFile> gif;
};

Loaded loadFile(const fs::path& path) {
  std::vector<std::uint8_t> bytes = readFileBytes(path.string());
  auto decoder = std::make_unique<LzwDecoder>();
  Loaded loaded{GifStatus::Ok, std::make_unique<GifFile>()};
  GifInput input(bytes.data(), bytes.size());
  loaded.status = loaded.gif->load(input, *decoder);
  return loaded;
}

TEST(GifCorpus, EveryFileLoadsOrFailsCleanly) {
  if (corpusMissing()) GTEST_SKIP() << "no corpus at " << kCorpus;
  std::vector<fs::path> gifs = corpusGifs();
  EXPECT_GE(gifs.size(), 400u);
  int loadedFiles = 0;
  for (const fs::path& path : gifs) {
    SCOPED_TRACE(path.string());
    Loaded loaded = loadFile(path);
    int status = static_cast<int>(loaded.status);
    EXPECT_TRUE(status >= 0 && status <= 5) << status;
    if (loaded.status == GifStatus::Ok) ++loadedFiles;
    for (const GifFrame& frame : loaded.gif->frames) {
      EXPECT_LE(frame.pixelsDelivered, frame.pixelCount());
      EXPECT_FALSE(frame.pixels.isNull());
      // Touch every delivered pixel, so that the sanitizer sees any that
      // were never written.
      unsigned sum = 0;
      for (std::uint32_t y = 0; y < frame.height(); ++y) {
        std::uint32_t delivered = frame.deliveredInRow(y);
        EXPECT_LE(delivered, frame.width());
        for (std::uint32_t x = 0; x < delivered; ++x) {
          sum += frame.pixels.data()[std::size_t{y} * frame.width() + x];
        }
      }
      (void)sum;
    }
  }
  EXPECT_GE(loadedFiles, 150);
}

// The wuffs "bricks" images come with their exact colour indices.
TEST(GifCorpus, BricksDecodeToTheirExpectedIndices) {
  if (corpusMissing()) GTEST_SKIP() << "no corpus at " << kCorpus;
  const fs::path wuffs = kCorpus / "wuffs";
  for (const char* name : {"bricks-dither", "bricks-gray", "bricks-nodither"}) {
    SCOPED_TRACE(name);
    Loaded loaded = loadFile(wuffs / (std::string(name) + ".gif"));
    ASSERT_EQ(loaded.status, GifStatus::Ok);
    ASSERT_EQ(loaded.gif->frames.size(), 1u);
    const GifFrame& frame = loaded.gif->frames[0];
    std::vector<std::uint8_t> expected =
        readFileBytes((wuffs / (std::string(name) + ".indexes")).string());
    ASSERT_EQ(frame.pixelCount(), expected.size());
    ASSERT_EQ(frame.pixelsDelivered, expected.size());
    EXPECT_TRUE(
        std::equal(expected.begin(), expected.end(), frame.pixels.data()));
  }
}

// An interlaced image and its non-interlaced twin show the same picture.
TEST(GifCorpus, InterlacedImagesComeOutInDisplayOrder) {
  if (corpusMissing()) GTEST_SKIP() << "no corpus at " << kCorpus;
  const fs::path wuffs = kCorpus / "wuffs";
  Loaded interlaced = loadFile(wuffs / "hippopotamus.interlaced.gif");
  Loaded regular = loadFile(wuffs / "hippopotamus.regular.gif");
  ASSERT_EQ(interlaced.status, GifStatus::Ok);
  ASSERT_EQ(regular.status, GifStatus::Ok);
  const GifFrame& a = interlaced.gif->frames.at(0);
  const GifFrame& b = regular.gif->frames.at(0);
  ASSERT_TRUE(a.interlaced());
  ASSERT_FALSE(b.interlaced());
  ASSERT_EQ(a.pixelCount(), b.pixelCount());
  EXPECT_TRUE(std::equal(a.pixels.data(), a.pixels.data() + a.pixelCount(),
                         b.pixels.data()));
}

}  // namespace
