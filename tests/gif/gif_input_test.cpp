// The input window: reading a source piece by piece must be
// indistinguishable from reading the same bytes in memory.
#include "gif/gif_input.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <vector>

#include "gif/gif_file.h"
#include "gif/lzw_decoder.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Hands out its bytes in pieces of random size, as pipes and slow devices
// do.
class TricklingSource : public platform::ByteSource {
 public:
  TricklingSource(const Bytes& bytes, unsigned seed)
      : bytes_(bytes), random_(seed) {}

  std::size_t readSome(std::uint8_t* buffer, std::size_t size) override {
    std::size_t left = bytes_.size() - offset_;
    std::size_t piece =
        std::min({size, left, static_cast<std::size_t>(1 + random_() % 300)});
    std::copy(bytes_.begin() + static_cast<std::ptrdiff_t>(offset_),
              bytes_.begin() + static_cast<std::ptrdiff_t>(offset_ + piece),
              buffer);
    offset_ += piece;
    return piece;
  }

 private:
  const Bytes& bytes_;
  std::mt19937 random_;
  std::size_t offset_ = 0;
};

TEST(GifInput, WindowedReadsMatchReadsInMemory) {
  std::mt19937 random(99);
  Bytes bytes(20000);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  for (unsigned seed = 0; seed < 20; ++seed) {
    TricklingSource source(bytes, seed);
    Bytes window(GifInput::kMinimumWindow);
    GifInput streamed(source, window.data(), window.size());
    GifInput memory(bytes.data(), bytes.size());
    std::mt19937 ops(seed);
    for (int step = 0; step < 4000; ++step) {
      SCOPED_TRACE(step);
      switch (ops() % 4) {
        case 0:
          ASSERT_EQ(streamed.readByte(), memory.readByte());
          break;
        case 1: {
          std::size_t count = ops() % (GifInput::kLargestRead + 1);
          Bytes a(count), b(count);
          bool readA = streamed.read(a.data(), count);
          ASSERT_EQ(readA, memory.read(b.data(), count));
          if (readA) {
            ASSERT_EQ(a, b);
          }
          break;
        }
        case 2: {  // the reader's moves: back up to 2 after a read, on by a
                   // sub-block, now and then far past the window
          std::int64_t offset = ops() % 3 == 0
                                    ? -static_cast<std::int64_t>(ops() % 3)
                                    : static_cast<std::int64_t>(ops() % 256);
          if (offset < 0) {
            streamed.readByte();
            memory.readByte();
            streamed.readByte();
            memory.readByte();
          }
          if (ops() % 50 == 0) offset = 5000;
          streamed.move(offset);
          memory.move(offset);
          break;
        }
        default:
          break;
      }
      ASSERT_EQ(streamed.position(), memory.position());
    }
  }
}

std::unique_ptr<GifFile> loadStreamed(const Bytes& bytes, unsigned seed,
                                      GifStatus& status) {
  TricklingSource source(bytes, seed);
  Bytes window(GifInput::kMinimumWindow);
  GifInput input(source, window.data(), window.size());
  auto gif = std::make_unique<GifFile>();
  auto decoder = std::make_unique<LzwDecoder>();
  status = gif->load(input, *decoder);
  return gif;
}

TEST(GifInput, CorpusLoadsTheSameThroughAWindow) {
  const std::filesystem::path corpus = GIF2FRM_CORPUS;
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no corpus";
  int files = 0;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(corpus)) {
    if (entry.path().extension() != ".gif") continue;
    SCOPED_TRACE(entry.path().string());
    Bytes bytes = readFileBytes(entry.path().string());
    GifStatus streamedStatus;
    std::unique_ptr<GifFile> streamed =
        loadStreamed(bytes, files, streamedStatus);
    GifFile memory;
    auto decoder = std::make_unique<LzwDecoder>();
    GifInput input(bytes.data(), bytes.size());
    ASSERT_EQ(streamedStatus, memory.load(input, *decoder));
    ASSERT_EQ(streamed->frames.size(), memory.frames.size());
    for (std::size_t k = 0; k < memory.frames.size(); ++k) {
      const GifFrame& a = streamed->frames[k];
      const GifFrame& b = memory.frames[k];
      ASSERT_EQ(a.pixelsDelivered, b.pixelsDelivered);
      for (std::uint32_t y = 0; y < b.height(); ++y) {
        std::uint32_t n = b.deliveredInRow(y);
        const std::size_t row = std::size_t{y} * b.width();
        ASSERT_TRUE(std::equal(a.pixels.data() + row, a.pixels.data() + row + n,
                               b.pixels.data() + row));
      }
    }
    ++files;
  }
  EXPECT_GT(files, 400);
}

}  // namespace
