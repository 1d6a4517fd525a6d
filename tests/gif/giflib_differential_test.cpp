// Our reader against giflib, a decoder written by other people: for every
// GIF that giflib's DGifSlurp accepts and whose image data holds exactly
// width x height pixels per image, each frame's pixels here equal giflib's
// raster of that image, interlaced images included. The GIFs are the shared
// corpus and a few hundred generated ones.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "gif/encoder/gifenc.h"
#include "gif/gif_file.h"
#include "gif/lzw_decoder.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct PeerImage {
  int width;
  int height;
  Bytes raster;  // display order: DGifSlurp puts interlaced rows in place
};

struct MemoryReader {
  const Bytes* bytes;
  std::size_t position;
};

int readFromMemory(GifFileType* gif, GifByteType* out, int count) {
  auto* reader = static_cast<MemoryReader*>(gif->UserData);
  const std::size_t left = reader->bytes->size() - reader->position;
  const std::size_t n = std::min(left, static_cast<std::size_t>(count));
  std::memcpy(out, reader->bytes->data() + reader->position, n);
  reader->position += n;
  return static_cast<int>(n);
}

// giflib's images, or nothing when DGifSlurp refuses the file.
std::optional<std::vector<PeerImage>> decodeWithGiflib(const Bytes& bytes) {
  MemoryReader reader{&bytes, 0};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, readFromMemory, &error);
  if (gif == nullptr) return std::nullopt;
  std::optional<std::vector<PeerImage>> images;
  if (DGifSlurp(gif) == GIF_OK) {
    images.emplace();
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage& saved = gif->SavedImages[i];
      PeerImage image{saved.ImageDesc.Width, saved.ImageDesc.Height, {}};
      const std::size_t count = std::size_t(image.width) * image.height;
      if (saved.RasterBits != nullptr) {
        image.raster.assign(saved.RasterBits, saved.RasterBits + count);
      }
      images->push_back(std::move(image));
    }
  }
  DGifCloseFile(gif, &error);
  return images;
}

// How many pixels one image's LZW data holds, by the textbook rules and
// independently of our decoder: strings are only counted, never built. The
// count stops at the end code or where the data runs out; -1 for a code
// that is not defined yet, which giflib refuses anyway.
std::int64_t countPixels(int minCodeSize, const Bytes& data) {
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  std::vector<std::int64_t> length(4096, 1);
  int width = minCodeSize + 1;
  int next = clear + 2;
  int previous = -1;  // no code yet since the start or the last clear
  std::size_t bit = 0;
  std::int64_t count = 0;
  while (bit + static_cast<std::size_t>(width) <= data.size() * 8) {
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit) {
      code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
    }
    if (code == clear) {
      width = minCodeSize + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (code == end) break;
    std::int64_t codeLength;
    if (code < clear || code < next) {
      codeLength = length[static_cast<std::size_t>(code)];
    } else if (code == next && previous >= 0) {
      codeLength = length[static_cast<std::size_t>(previous)] + 1;
    } else {
      return -1;
    }
    if (previous >= 0 && next < 4096) {
      length[static_cast<std::size_t>(next)] =
          length[static_cast<std::size_t>(previous)] + 1;
      ++next;
      if (next == (1 << width) && width < 12) ++width;
    }
    previous = code;
    count += codeLength;
  }
  return count;
}

// The images of a GIF by a plain walk of its blocks: each one's declared size
// and the pixels its data holds. refused is set when the walk meets what our
// reader refuses by design and giflib does not: an unknown extension label,
// a minimum code size outside 2 to 9.
struct Walk {
  std::vector<std::int64_t> declared;
  std::vector<std::int64_t> held;
  bool refused = false;
};

Walk walkGif(const Bytes& b) {
  Walk walk;
  std::size_t p = 13;
  auto skipTable = [&](std::uint8_t packed) {
    if (packed & 0x80) p += 3u * (2u << (packed & 7));
  };
  auto subBlocks = [&](Bytes* joined) {
    while (p < b.size()) {
      const std::size_t n = b[p++];
      if (n == 0) return;
      if (joined != nullptr && p + n <= b.size()) {
        joined->insert(joined->end(), b.begin() + std::ptrdiff_t(p),
                       b.begin() + std::ptrdiff_t(p + n));
      }
      p += n;
    }
  };
  if (b.size() < 13) return walk;
  skipTable(b[10]);
  while (p < b.size()) {
    const std::uint8_t introducer = b[p++];
    if (introducer == 0x21 && p < b.size()) {
      const std::uint8_t label = b[p++];
      if (label != 0x01 && label != 0xF9 && label != 0xFE && label != 0xFF) {
        walk.refused = true;
      }
      subBlocks(nullptr);
    } else if (introducer == 0x2C && p + 10 <= b.size()) {
      const int width = b[p + 4] | b[p + 5] << 8;
      const int height = b[p + 6] | b[p + 7] << 8;
      skipTable(b[p + 8]);
      p += 9;
      if (p >= b.size()) break;
      const int minCodeSize = b[p++];
      Bytes data;
      subBlocks(&data);
      if (minCodeSize < 2 || minCodeSize > 9) {
        walk.refused = true;
        break;
      }
      walk.declared.push_back(std::int64_t{width} * height);
      walk.held.push_back(countPixels(minCodeSize, data));
    } else {
      break;
    }
  }
  return walk;
}

struct Comparison {
  bool compared = false;  // the file qualified and was compared
};

// Compares our frames with giflib's images for one GIF that qualifies;
// reports through gtest and says whether it qualified.
Comparison compareWithGiflib(const Bytes& bytes) {
  Comparison result;
  const std::optional<std::vector<PeerImage>> peer = decodeWithGiflib(bytes);
  if (!peer || peer->empty()) return result;
  const Walk walk = walkGif(bytes);
  if (walk.declared.size() < peer->size()) return result;
  for (std::size_t i = 0; i < peer->size(); ++i) {
    if (walk.held[i] != walk.declared[i]) return result;
  }
  result.compared = true;

  auto decoder = std::make_unique<LzwDecoder>();
  GifFile gif;
  GifInput input(bytes.data(), bytes.size());
  const GifStatus status = gif.load(input, *decoder);
  if (!walk.refused) {
    EXPECT_EQ(status, GifStatus::Ok);
    EXPECT_EQ(gif.frames.size(), peer->size());
  }
  const std::size_t frames = std::min(gif.frames.size(), peer->size());
  for (std::size_t i = 0; i < frames; ++i) {
    SCOPED_TRACE("image " + std::to_string(i));
    const GifFrame& frame = gif.frames[i];
    const PeerImage& image = (*peer)[i];
    EXPECT_EQ(frame.width(), std::uint32_t(image.width));
    EXPECT_EQ(frame.height(), std::uint32_t(image.height));
    EXPECT_EQ(frame.pixelsDelivered, frame.pixelCount());
    if (frame.pixelCount() != image.raster.size()) continue;
    const Bytes ours(frame.pixels.data(),
                     frame.pixels.data() + frame.pixelCount());
    EXPECT_TRUE(ours == image.raster) << "pixels differ";
  }
  return result;
}

TEST(GiflibDifferential, CorpusFilesDecodeAsGiflibDecodesThem) {
  const fs::path corpus = GIF2FRM_CORPUS;
  std::vector<fs::path> gifs;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(corpus, error)) {
    if (entry.is_regular_file() && entry.path().extension() == ".gif") {
      gifs.push_back(entry.path());
    }
  }
  if (gifs.empty()) {
    // A developer's checkout may lack the corpus beside it; CI never does.
    if (std::getenv("CI") != nullptr) ADD_FAILURE() << "no corpus in CI";
    GTEST_SKIP() << "no corpus at " << corpus;
  }
  std::sort(gifs.begin(), gifs.end());
  int compared = 0;
  for (const fs::path& path : gifs) {
    SCOPED_TRACE(path.string());
    if (compareWithGiflib(readFileBytes(path.string())).compared) ++compared;
  }
  // The corpus holds about 150 files that giflib accepts; nearly all of
  // them hold exactly their pixels.
  EXPECT_GE(compared, 100);
}

// Random images of every shape the encoder can make: sizes from 1 x 1 up,
// 2 to 256 colours, local tables, interlacing, small sub-blocks, and data
// that fills the dictionary and goes on without a clear.
Bytes randomGif(std::mt19937& random) {
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  gifenc::ColorTable colors(std::size_t(2) << pick(0, 7));
  for (gifenc::Rgb& c : colors) {
    c = {std::uint8_t(pick(0, 255)), std::uint8_t(pick(0, 255)),
         std::uint8_t(pick(0, 255))};
  }
  gifenc::GifBuilder gif;
  const auto screenWidth = std::uint16_t(pick(1, 120));
  const auto screenHeight = std::uint16_t(pick(1, 120));
  gif.header().screen({screenWidth, screenHeight, colors});
  const int images = pick(1, 3);
  for (int k = 0; k < images; ++k) {
    gifenc::Image image;
    image.width = std::uint16_t(pick(1, 150));
    image.height = std::uint16_t(pick(1, 150));
    image.left = std::uint16_t(pick(0, 20));
    image.top = std::uint16_t(pick(0, 20));
    image.interlaced = pick(0, 1) == 1;
    std::size_t used = colors.size();
    if (pick(0, 3) == 0) {
      image.localColors.resize(std::size_t(2) << pick(0, 7));
      used = image.localColors.size();
    }
    // Runs of one colour as well as noise, so that long strings occur.
    const int runLength = pick(1, 40);
    std::uint8_t value = 0;
    for (std::size_t i = 0; i < std::size_t(image.width) * image.height; ++i) {
      if (i % std::size_t(runLength) == 0) {
        value = std::uint8_t(pick(0, int(used) - 1));
      }
      image.pixels.push_back(value);
    }
    image.clearWhenFull = pick(0, 1) == 1;
    image.subBlockSize = std::size_t(pick(1, 255));
    if (pick(0, 1) == 1) gif.graphicControl({0, false, true, 1, 5});
    gif.image(image);
  }
  gif.trailer();
  return gif.bytes();
}

TEST(GiflibDifferential, GeneratedGifsDecodeAsGiflibDecodesThem) {
  std::mt19937 random(20261207);
  int compared = 0;
  for (int i = 0; i < 300; ++i) {
    SCOPED_TRACE("generated GIF " + std::to_string(i));
    if (compareWithGiflib(randomGif(random)).compared) ++compared;
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_EQ(compared, 300);
}

}  // namespace
