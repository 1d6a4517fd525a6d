// The generated benchmark corpus is what the benchmark's table says it is:
// the generator program writes every file, our reader and giflib both decode
// each to exactly the pictures that were drawn, in the promised number and
// size of frames, the conversion accepts them, and a second generation gives
// the same bytes. The other encoders' versions show the same pictures.
#include "bench/bench_corpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "bench/child_process.h"
#include "bench/decoder_agreement.h"
#include "bench/other_encoders.h"
#include "color/palette.h"
#include "gif/gif_file.h"
#include "gif2frm/conversion.h"
#include "support/temp_dir.h"

namespace {

// With oursOnly, without the other encoders' versions, which take seconds.
int runGenerator(const std::string& directory, bool oursOnly = false) {
  const std::string command = std::string("'") + GIF2FRM_MAKE_BENCH_CORPUS +
                              "' " + (oursOnly ? "--ours-only " : "") + "'" +
                              directory + "'";
  return std::system(command.c_str());
}

// Every pixel of every frame as the colour it shows, or as kSeeThrough.
constexpr std::uint32_t kSeeThrough = 0xFF000000;
std::vector<std::vector<std::uint32_t>> shownColors(const GifFile& gif) {
  std::vector<std::vector<std::uint32_t>> frames;
  for (const GifFrame& frame : gif.frames) {
    const platform::ByteBuffer& table = frame.localColorTable.isNull()
                                            ? gif.globalColorTable
                                            : frame.localColorTable;
    const bool transparent =
        frame.hasControl != 0 &&
        frame.control.field(GraphicControlExtension::TransparentColorFlag) != 0;
    std::vector<std::uint32_t> colors;
    for (std::uint32_t i = 0; i < frame.pixelCount(); ++i) {
      const std::uint8_t index = frame.pixels.data()[i];
      if (transparent && index == frame.control.transparentColorIndex) {
        colors.push_back(kSeeThrough);
      } else if (3u * index + 2 < table.size()) {
        const std::uint8_t* rgb = table.data() + 3 * index;
        colors.push_back(std::uint32_t{rgb[0]} << 16 |
                         std::uint32_t{rgb[1]} << 8 | rgb[2]);
      } else {
        colors.push_back(0xFFFFFFFF);  // an index beyond the table
      }
    }
    frames.push_back(std::move(colors));
  }
  return frames;
}

std::size_t distinctValues(const std::vector<std::uint8_t>& pixels) {
  return std::set<std::uint8_t>(pixels.begin(), pixels.end()).size();
}

// One generation shared by every test: the 4000 x 4000 noise alone takes
// seconds to encode.
class BenchCorpus : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir();
    status_ = runGenerator(dir_->path());
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  static TempDir* dir_;
  static int status_;
};

TempDir* BenchCorpus::dir_ = nullptr;
int BenchCorpus::status_ = -1;

TEST_F(BenchCorpus, GeneratorWritesEveryFileAndTheVersionLast) {
  ASSERT_EQ(status_, 0);
  std::vector<std::string> expected = {"VERSION"};
  for (const bench::CorpusEntry& entry : bench::corpusEntries()) {
    expected.push_back(entry.fileName);
  }
  for (const bench::Encoder& encoder : bench::otherEncoders()) {
    if (!bench::findProgram(encoder.program).empty()) {
      expected.push_back(encoder.folder);
    }
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(dir_->list(), expected);
  const std::vector<std::uint8_t> version = dir_->read("VERSION");
  EXPECT_EQ(std::string(version.begin(), version.end()), bench::kCorpusVersion);
}

TEST_F(BenchCorpus, EveryFileDecodesToItsPicturesWithTheDeclaredShape) {
  ASSERT_EQ(status_, 0);
  const std::uint8_t* palette = loadPalette();
  for (const bench::CorpusEntry& entry : bench::corpusEntries()) {
    SCOPED_TRACE(entry.fileName);
    const std::vector<std::uint8_t> bytes = dir_->read(entry.fileName);
    GifFile gif;
    GifInput input(bytes.data(), bytes.size());
    ASSERT_EQ(gif.load(input), GifStatus::Ok);
    ASSERT_EQ(gif.frames.size(), entry.frames);
    EXPECT_EQ(gif.globalColorTable.isNull(), entry.localTables);

    const bench::CorpusGif drawn = bench::makeCorpusGif(entry, palette);
    ASSERT_EQ(drawn.images.size(), entry.frames);
    for (std::size_t f = 0; f < gif.frames.size(); ++f) {
      const GifFrame& frame = gif.frames[f];
      EXPECT_EQ(frame.width(), entry.width);
      EXPECT_EQ(frame.height(), entry.height);
      ASSERT_EQ(frame.pixelsDelivered, frame.pixelCount());
      EXPECT_TRUE(std::equal(drawn.images[f].pixels.begin(),
                             drawn.images[f].pixels.end(), frame.pixels.data()))
          << "frame " << f;
      EXPECT_EQ(!frame.localColorTable.isNull(), entry.localTables);
      const bool transparent =
          frame.hasControl != 0 &&
          frame.control.field(GraphicControlExtension::TransparentColorFlag) !=
              0;
      EXPECT_EQ(transparent, entry.transparent);
    }

    // giflib sees the same pixels, so its speed is measured on equal work.
    const bench::Agreement agreement =
        bench::compareDecoders(bytes.data(), bytes.size());
    EXPECT_TRUE(agreement.samePixels);
  }
}

// Each other encoder wrote the same pictures: the same frames, every pixel
// showing the same colour or see-through, whatever tables it chose; giflib
// agrees with our reader on them, and they convert.
TEST_F(BenchCorpus, OtherEncodersWroteThePictures) {
  ASSERT_EQ(status_, 0);
  for (const bench::Encoder& encoder : bench::otherEncoders()) {
    SCOPED_TRACE(encoder.name);
    if (bench::findProgram(encoder.program).empty()) continue;
    for (const bench::CorpusEntry& entry : bench::corpusEntries()) {
      SCOPED_TRACE(entry.fileName);
      const std::vector<std::uint8_t> ours = dir_->read(entry.fileName);
      const std::vector<std::uint8_t> theirs =
          readFileBytes(bench::reencodedPath(dir_->path(), encoder, entry));
      GifFile a;
      GifFile b;
      GifInput inputA(ours.data(), ours.size());
      GifInput inputB(theirs.data(), theirs.size());
      ASSERT_EQ(a.load(inputA), GifStatus::Ok);
      ASSERT_EQ(b.load(inputB), GifStatus::Ok);
      ASSERT_EQ(b.frames.size(), entry.frames);
      for (const GifFrame& frame : b.frames) {
        ASSERT_EQ(frame.pixelsDelivered, frame.pixelCount());
      }
      EXPECT_TRUE(shownColors(a) == shownColors(b));
      EXPECT_TRUE(
          bench::compareDecoders(theirs.data(), theirs.size()).samePixels);
      GifFile gif;
      FrmImage image;
      EXPECT_TRUE(
          convertGif(theirs.data(), theirs.size(), Options{}, gif, image)
              .done());
    }
  }
}

TEST_F(BenchCorpus, EveryFileConverts) {
  ASSERT_EQ(status_, 0);
  for (const bench::CorpusEntry& entry : bench::corpusEntries()) {
    SCOPED_TRACE(entry.fileName);
    const std::vector<std::uint8_t> bytes = dir_->read(entry.fileName);
    GifFile gif;
    FrmImage image;
    EXPECT_TRUE(
        convertGif(bytes.data(), bytes.size(), Options{}, gif, image).done());
  }
}

// Each shape has the character its row in the table claims.
TEST(BenchPictures, ShapesHaveTheirCharacter) {
  const std::uint8_t* palette = loadPalette();
  const auto& entries = bench::corpusEntries();
  auto drawn = [&](bench::Shape shape) {
    for (const bench::CorpusEntry& entry : entries) {
      if (entry.shape == shape) return bench::makeCorpusGif(entry, palette);
    }
    return bench::CorpusGif{};
  };

  const bench::CorpusGif photo = drawn(bench::Shape::Photo);
  ASSERT_EQ(photo.images.size(), 1u);
  EXPECT_GE(distinctValues(photo.images[0].pixels), 200u);

  const bench::CorpusGif sprite = drawn(bench::Shape::Sprite);
  ASSERT_EQ(sprite.images.size(), 40u);
  for (std::size_t f = 0; f < sprite.images.size(); ++f) {
    const std::vector<std::uint8_t>& pixels = sprite.images[f].pixels;
    const auto background = std::count(pixels.begin(), pixels.end(), 0);
    // Mostly background, but a figure of some size.
    EXPECT_GT(background, static_cast<long>(pixels.size() / 2));
    EXPECT_LT(background, static_cast<long>(pixels.size() * 9 / 10));
    EXPECT_LE(*std::max_element(pixels.begin(), pixels.end()), 31);
    if (f > 0) {
      EXPECT_NE(pixels, sprite.images[f - 1].pixels) << f;
    }
  }

  const bench::CorpusGif flat = drawn(bench::Shape::FlatRuns);
  ASSERT_EQ(flat.images.size(), 1u);
  EXPECT_EQ(distinctValues(flat.images[0].pixels), 8u);

  const bench::CorpusGif local = drawn(bench::Shape::LocalTables);
  ASSERT_EQ(local.images.size(), 8u);
  for (std::size_t f = 1; f < local.images.size(); ++f) {
    ASSERT_EQ(local.images[f].localColors.size(), 256u);
    bool differs = false;
    for (std::size_t i = 0; i < 256; ++i) {
      const gifenc::Rgb& a = local.images[f].localColors[i];
      const gifenc::Rgb& b = local.images[f - 1].localColors[i];
      differs = differs || a.r != b.r || a.g != b.g || a.b != b.b;
    }
    EXPECT_TRUE(differs) << "frame " << f << " repeats the table before it";
  }

  const bench::CorpusGif noisy = drawn(bench::Shape::Noise);
  ASSERT_EQ(noisy.images.size(), 1u);
  EXPECT_EQ(distinctValues(noisy.images[0].pixels), 256u);

  const bench::CorpusGif fewColors = drawn(bench::Shape::FewColorNoise);
  ASSERT_EQ(fewColors.images.size(), 1u);
  EXPECT_EQ(fewColors.screen.globalColors.size(), 64u);
  EXPECT_EQ(distinctValues(fewColors.images[0].pixels), 64u);

  const bench::CorpusGif tiny = drawn(bench::Shape::Tiny);
  ASSERT_EQ(tiny.images.size(), 1u);
  EXPECT_EQ(tiny.images[0].pixels.size(), 16u * 16u);
}

TEST_F(BenchCorpus, GeneratingAgainGivesTheSameBytes) {
  ASSERT_EQ(status_, 0);
  TempDir again;
  ASSERT_EQ(runGenerator(again.path(), true), 0);
  for (const bench::CorpusEntry& entry : bench::corpusEntries()) {
    EXPECT_EQ(again.read(entry.fileName), dir_->read(entry.fileName))
        << entry.fileName;
  }
}

// A cache of this generator version is left alone, however its files look.
TEST(BenchCorpusCache, ACurrentCacheIsKept) {
  TempDir cache;
  cache.write("VERSION", std::string(bench::kCorpusVersion));
  for (const bench::CorpusEntry& entry : bench::corpusEntries()) {
    cache.write(entry.fileName, std::string("kept"));
  }
  ASSERT_EQ(runGenerator(cache.path(), true), 0);
  for (const bench::CorpusEntry& entry : bench::corpusEntries()) {
    const std::vector<std::uint8_t> bytes = cache.read(entry.fileName);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "kept");
  }
}

// A cache made by another generator version is made again.
TEST_F(BenchCorpus, AnOutdatedCacheIsRegenerated) {
  ASSERT_EQ(status_, 0);
  TempDir cache;
  cache.write("VERSION", std::string("bench-corpus 0"));
  for (const bench::CorpusEntry& entry : bench::corpusEntries()) {
    cache.write(entry.fileName, std::string("stale"));
  }
  ASSERT_EQ(runGenerator(cache.path(), true), 0);
  for (const bench::CorpusEntry& entry : bench::corpusEntries()) {
    EXPECT_EQ(cache.read(entry.fileName), dir_->read(entry.fileName))
        << entry.fileName;
  }
}

}  // namespace
