// The PNG corpus through the converter, with libspng as the judge of which
// files are whole: every file libspng decodes converts with -m=nearest and
// with -m=dither, in memory and (a sample) through the real program with the
// same bytes, except the files our reader refuses by design, named below.
// Every file the converter refuses gets its message from the real program,
// status 1, and leaves the directory as it was.
#include <gtest/gtest.h>
#include <spng.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "frm/recording_sink.h"
#include "gif/lzw_decoder.h"
#include "gif2frm/conversion.h"
#include "png/png_test_files.h"
#include "png/refused_by_design.h"
#include "support/failed_run.h"
#include "support/run_program.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

bool spngDecodes(const Bytes& bytes) {
  spng_ctx* context = spng_ctx_new(0);
  spng_set_png_buffer(context, bytes.data(), bytes.size());
  std::size_t size = 0;
  int result = spng_decoded_image_size(context, SPNG_FMT_RGBA8, &size);
  if (result == 0) {
    std::vector<std::uint8_t> rgba(size);
    result = spng_decode_image(context, rgba.data(), size, SPNG_FMT_RGBA8,
                               SPNG_DECODE_TRNS);
  }
  spng_ctx_free(context);
  return result == 0;
}

struct Converted {
  RunOutcome outcome;
  Bytes frm;  // the FRM file's bytes when done
  std::unique_ptr<FrmImage> image = std::make_unique<FrmImage>();
};

Converted convert(const Bytes& input, ColorMatch mode) {
  Options options;
  options.matchMode = mode;
  Converted converted;
  const auto decoder = std::make_unique<LzwDecoder>();
  converted.outcome = convertBytes(input.data(), input.size(), options,
                                   *converted.image, *decoder);
  RecordingSink sink;
  if (converted.outcome.done() && converted.image->write(sink) == 0) {
    converted.frm = sink.data;
  }
  return converted;
}

// The FRM frames against the reader's frames: one each, of the same size,
// each pixel 0 exactly when it is transparent (alpha below 128, or an index
// past the palette, which has no colour), else an entry 1..228.
void expectFramesOf(const PngImage& png, const FrmImage& frm) {
  ASSERT_EQ(frm.frameCount(), png.frames.size());
  for (std::size_t k = 0; k < png.frames.size(); ++k) {
    const PngFrame& source = png.frames[k];
    const FrmFrame& frame = *frm.frames[k];
    ASSERT_EQ(frame.width, source.width);
    ASSERT_EQ(frame.height, source.height);
    const std::size_t count = std::size_t{source.width} * source.height;
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < count; ++i) {
      bool clear;
      if (png.indexed) {
        const std::uint8_t index = source.pixels.data()[i];
        clear = index >= png.paletteCount || png.palette[index][3] < 128;
      } else {
        clear = source.pixels.data()[4 * i + 3] < 128;
      }
      const std::uint8_t entry = frame.pixels()[i];
      if (clear ? entry != 0 : entry < 1 || entry > 228) ++wrong;
    }
    EXPECT_EQ(wrong, 0u) << "frame " << k;
  }
}

// Each conversion of a true-colour image matches its colours from scratch,
// and under the sanitizers that costs a hundred times the decode, and each
// run of the program a tenth of a second: there an eighth of the files
// libspng decodes are converted, and an eighth of the refused ones run
// through the program (every eighth); the plain build takes them all.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kConvertedEvery = 8;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
constexpr int kConvertedEvery = 8;
#else
constexpr int kConvertedEvery = 1;
#endif
#else
constexpr int kConvertedEvery = 1;
#endif

// The message the program prints for an input the reader refuses.
std::string messageFor(PngStatus status) {
  return status == PngStatus::TooLarge ? "Image too large for FRM\n"
                                       : "Can't read file or file corrupted\n";
}

TEST(PngCorpusConversion, EveryFileLibspngDecodesConvertsInEveryMatchMode) {
  const std::vector<std::filesystem::path> files = corpusPngFiles();
  if (files.empty()) {
    if (std::getenv("CI") != nullptr) ADD_FAILURE() << "no PNG corpus in CI";
    GTEST_SKIP() << "no PNG corpus at " << pngCorpus();
  }
  int converted = 0, refusedByDesign = 0, refused = 0, runs = 0, whole = 0;
  std::map<std::string, std::string> failures;  // name: expected message
  for (const std::filesystem::path& path : files) {
    const std::string name = corpusName(path);
    SCOPED_TRACE(name);
    const Bytes bytes = readFileBytes(path.string());
    const ReadPng png = readPngBytes(bytes);
    const bool decodes = spngDecodes(bytes);
    const bool refusedHere = !decodes || kPngRefusedByDesign.count(name) != 0;
    if (!refusedHere && whole++ % kConvertedEvery != 0) continue;
    const Converted nearest = convert(bytes, ColorMatch::Nearest);
    if (refusedHere) {
      // Refused in every mode, for its bytes alone.
      EXPECT_EQ(nearest.outcome.step, RunStep::Read);
      EXPECT_NE(png.status, PngStatus::Ok);
      // Without the PNG signature a file is read as a GIF, which it is not.
      if (png.status == PngStatus::NotPng) {
        EXPECT_NE(nearest.outcome.gif, GifStatus::Ok);
      } else {
        EXPECT_EQ(nearest.outcome.png, png.status);
      }
      EXPECT_EQ(convert(bytes, ColorMatch::Dither).outcome.step, RunStep::Read);
      failures[name] = messageFor(png.status);
      (decodes ? refusedByDesign : refused) += 1;
      continue;
    }
    ASSERT_EQ(png.status, PngStatus::Ok);
    ASSERT_TRUE(nearest.outcome.done());
    expectFramesOf(*png.image, *nearest.image);
    const Converted dither = convert(bytes, ColorMatch::Dither);
    ASSERT_TRUE(dither.outcome.done());
    expectFramesOf(*png.image, *dither.image);
    ++converted;
    // A sample through the real program: the same bytes as in memory.
    if (converted % 8 != 0) continue;
    ++runs;
    const bool dithered = converted % 16 == 0;
    TempDir dir;
    dir.write("input.png", bytes);
    const ProgramResult run = runGif2frm(
        {dithered ? "-m=dither" : "-m=nearest", "input.png"}, dir.path());
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(dir.read("input.frm"), dithered ? dither.frm : nearest.frm);
  }
  EXPECT_EQ(refusedByDesign, static_cast<int>(kPngRefusedByDesign.size()));
  std::map<std::string, int> messages;
  for (const auto& failure : failures) ++messages[failure.second];
  std::printf(
      "PNG corpus through the converter: %zu files; %d converted with "
      "-m=nearest and -m=dither (of %d; %d of them also by the program), %d "
      "refused by design though libspng decodes them, %d refused as libspng "
      "does;",
      files.size(), converted, whole, runs, refusedByDesign, refused);
  for (const auto& [message, count] : messages) {
    std::printf(" %d x %.*s", count, static_cast<int>(message.size() - 1),
                message.c_str());
  }
  std::printf("\n");

  // Each refused file through the program: its message, nothing written.
  int refusal = 0;
  for (const auto& [name, message] : failures) {
    if (refusal++ % kConvertedEvery != 0) continue;
    SCOPED_TRACE(name);
    expectFailureLeavesDirectoryAsItWas(
        {{"input.png", readFileBytes((pngCorpus() / name).string())}},
        {"input.png"}, message, "input.frm");
  }
}

}  // namespace
