// The GIF reader's outcomes, on small GIFs written out byte by byte.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "gif/encoder/gifenc.h"
#include "gif/gif_file.h"
#include "gif/lzw_decoder.h"
#include "platform/byte_buffer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The pieces of a well-formed GIF89a: a 2x1 screen with a black and white
// global table, and a 2x1 image whose data decodes to pixels 1, 0.
const Bytes kHeader = {'G', 'I', 'F', '8', '9', 'a'};
const Bytes kScreen = {0x02, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00};
const Bytes kGlobalTable = {0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF};
const Bytes kDescriptor = {0x2C, 0x00, 0x00, 0x00, 0x00,
                           0x02, 0x00, 0x01, 0x00, 0x00};
// Minimum code size 2; one sub-block with clear, 1, 0, end (3 bits each).
const Bytes kImageData = {0x02, 0x02, 0x0C, 0x0A};
const Bytes kTerminator = {0x00};
const Bytes kImage = join({kDescriptor, kImageData, kTerminator});
const Bytes kTrailer = {0x3B};
// Graphic control extension: transparent colour flag set, index 1.
const Bytes kControl = {0x21, 0xF9, 0x04, 0x01, 0x0A, 0x00, 0x01, 0x00};
// The same with the flag clear and index 0.
const Bytes kOtherControl = {0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00};
const Bytes kComment = {0x21, 0xFE, 0x03, 'a', 'b', 'c', 0x00};
const Bytes kApplication = {0x21, 0xFF, 0x0B, 'N',  'E', 'T', 'S',
                            'C',  'A',  'P',  'E',  '2', '.', '0',
                            0x03, 0x01, 0x00, 0x00, 0x00};
const Bytes kPlainText = {0x21, 0x01, 0x0C, 0, 0, 0,    0,   8,   0,   8,
                          0,    8,    8,    1, 0, 0x02, 'h', 'i', 0x00};

const Bytes kPrologue = join({kHeader, kScreen, kGlobalTable});

struct Loaded {
  GifStatus status;
  std::unique_ptr<GifFile> gif;
  std::uint64_t position;
};

Loaded load(const Bytes& bytes) {
  auto decoder = std::make_unique<LzwDecoder>();
  Loaded loaded{GifStatus::Ok, std::make_unique<GifFile>(), 0};
  GifInput input(bytes.data(), bytes.size());
  loaded.status = loaded.gif->load(input, *decoder);
  loaded.position = input.position();
  return loaded;
}

GifStatus statusOf(const Bytes& bytes) { return load(bytes).status; }

TEST(GifReader, ReadsAWellFormedGif) {
  Loaded loaded = load(join({kPrologue, kImage, kTrailer}));
  ASSERT_EQ(loaded.status, GifStatus::Ok);
  const GifFile& gif = *loaded.gif;
  EXPECT_EQ(gif.screen.width, 2);
  EXPECT_EQ(gif.screen.height, 1);
  ASSERT_FALSE(gif.globalColorTable.isNull());
  EXPECT_EQ(Bytes(gif.globalColorTable.data(), gif.globalColorTable.data() + 6),
            kGlobalTable);
  ASSERT_EQ(gif.frames.size(), 1u);
  const GifFrame& frame = gif.frames[0];
  EXPECT_EQ(frame.hasControl, 0);
  EXPECT_TRUE(frame.localColorTable.isNull());
  EXPECT_EQ(frame.pixelsDelivered, 2u);
  EXPECT_EQ(Bytes(frame.pixels.data(), frame.pixels.data() + 2), (Bytes{1, 0}));
}

TEST(GifReader, ReadFailures) {
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const std::vector<Case> cases = {
      {"fewer than 6 bytes", {'G', 'I', 'F', '8', '9'}},
      {"nothing at all", {}},
      {"screen descriptor cut short", join({kHeader, {0x02, 0x00, 0x01}})},
      {"global table cut short",
       join({kHeader, kScreen, {0x00, 0x00, 0x00, 0xFF}})},
      {"ends where a block should start", kPrologue},
      {"ends after an extension introducer", join({kPrologue, {0x21}})},
      {"graphic control extension cut short",
       join({kPrologue, {0x21, 0xF9, 0x04, 0x01}})},
      {"comment without its terminator",
       join({kPrologue, {0x21, 0xFE, 0x03, 'a', 'b', 'c'}})},
      {"application extension cut inside its header",
       join({kPrologue, {0x21, 0xFF, 0x0B, 'N', 'E'}})},
      {"image descriptor cut short",
       join({kPrologue, {0x2C, 0x00, 0x00, 0x00}})},
      {"local table cut short",
       join({kPrologue,
             {0x2C, 0, 0, 0, 0, 0x02, 0x00, 0x01, 0x00, 0x80},
             {1, 2, 3}})},
      {"ends right after the image data",
       join({kPrologue, kDescriptor, kImageData})},
      {"ends after the image, without a trailer", join({kPrologue, kImage})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(statusOf(c.bytes), GifStatus::ReadFailed) << c.what;
  }
}

TEST(GifReader, NotAGif) {
  // Wrong signature; an unknown version.
  EXPECT_EQ(statusOf(join({{'G', 'I', 'X', '8', '9', 'a'}, kScreen, kTrailer})),
            GifStatus::NotAGif);
  EXPECT_EQ(statusOf(join({{'G', 'I', 'F', '8', '8', 'a'}, kScreen, kTrailer})),
            GifStatus::NotAGif);
  EXPECT_EQ(statusOf(join({{'g', 'i', 'f', '8', '9', 'a'}, kScreen, kTrailer})),
            GifStatus::NotAGif);
  EXPECT_EQ(
      statusOf(join(
          {{'G', 'I', 'F', '8', '7', 'a'}, kScreen, kGlobalTable, kTrailer})),
      GifStatus::Ok);
}

TEST(GifReader, UnknownBlocksAndExtensions) {
  // A stray 0x00 where a block introducer belongs.
  EXPECT_EQ(statusOf(join({kPrologue, {0x00}, kTrailer})),
            GifStatus::UnknownBlock);
  // Extension labels 0x02 and 0x00 are not known.
  EXPECT_EQ(statusOf(join({kPrologue, {0x21, 0x02, 0x00}, kTrailer})),
            GifStatus::UnknownExtension);
  EXPECT_EQ(statusOf(join({kPrologue, {0x21, 0x00, 0x00}, kTrailer})),
            GifStatus::UnknownExtension);
}

TEST(GifReader, BadImageData) {
  // Minimum code size 12.
  EXPECT_EQ(statusOf(join(
                {kPrologue, kDescriptor, {0x0C, 0x01, 0x00, 0x00}, kTrailer})),
            GifStatus::BadImageData);
  // The file ends right before the minimum code size byte.
  EXPECT_EQ(statusOf(join({kPrologue, kDescriptor})), GifStatus::BadImageData);
  // Three pixels for a 2x1 image: clear, 1, 0, 1, end.
  Loaded over = load(
      join({kPrologue, kDescriptor, {0x02, 0x02, 0x0C, 0x52, 0x00}, kTrailer}));
  EXPECT_EQ(over.status, GifStatus::BadImageData);
  // The failed image was not appended.
  EXPECT_TRUE(over.gif->frames.empty());
}

TEST(GifReader, AFailureInTheThirdImageKeepsTheFirstTwo) {
  Loaded loaded = load(join({kPrologue, kImage, kImage, kDescriptor, {0x01}}));
  EXPECT_EQ(loaded.status, GifStatus::BadImageData);
  EXPECT_EQ(loaded.gif->frames.size(), 2u);
}

TEST(GifReader, ColorTableSizes) {
  // Size field 7: 256 entries, 768 bytes; size field 0: 2 entries.
  Bytes big = join({kHeader, {0x01, 0x00, 0x01, 0x00, 0x87, 0x00, 0x00}});
  big.resize(big.size() + 768, 0x11);
  big.push_back(0x3B);
  Loaded loaded = load(big);
  EXPECT_EQ(loaded.status, GifStatus::Ok);
  EXPECT_EQ(loaded.gif->globalColorTable.size(), 768u);
  // Without the flag the size field means nothing and no table is read.
  Loaded none = load(
      join({kHeader, {0x01, 0x00, 0x01, 0x00, 0x07, 0x00, 0x00}, kTrailer}));
  EXPECT_EQ(none.status, GifStatus::Ok);
  EXPECT_TRUE(none.gif->globalColorTable.isNull());
  EXPECT_TRUE(none.gif->frames.empty());
  // A local table of 4 entries belongs to its frame alone.
  Loaded local = load(join({kPrologue,
                            {0x2C, 0, 0, 0, 0, 0x02, 0x00, 0x01, 0x00, 0x81},
                            Bytes(12, 0x22),
                            kImageData,
                            kTerminator,
                            kImage,
                            kTrailer}));
  ASSERT_EQ(local.status, GifStatus::Ok);
  ASSERT_EQ(local.gif->frames.size(), 2u);
  EXPECT_EQ(local.gif->frames[0].localColorTable.size(), 12u);
  EXPECT_TRUE(local.gif->frames[1].localColorTable.isNull());
}

TEST(GifReader, AControlExtensionGovernsTheNextImageOnly) {
  Loaded loaded = load(join({kPrologue, kControl, kImage, kImage, kTrailer}));
  ASSERT_EQ(loaded.gif->frames.size(), 2u);
  EXPECT_EQ(loaded.gif->frames[0].hasControl, 1);
  EXPECT_EQ(loaded.gif->frames[0].control.transparentColorIndex, 1);
  EXPECT_EQ(loaded.gif->frames[0].control.field(
                GraphicControlExtension::TransparentColorFlag),
            1);
  EXPECT_EQ(loaded.gif->frames[1].hasControl, 0);

  // Of two extensions before one image, the second counts.
  Loaded two =
      load(join({kPrologue, kControl, kOtherControl, kImage, kTrailer}));
  ASSERT_EQ(two.gif->frames.size(), 1u);
  EXPECT_EQ(two.gif->frames[0].control.field(
                GraphicControlExtension::TransparentColorFlag),
            0);

  // Other extensions in between are stepped over and change nothing.
  Loaded mixed = load(join({kPrologue, kControl, kComment, kApplication,
                            kPlainText, kImage, kTrailer}));
  ASSERT_EQ(mixed.status, GifStatus::Ok);
  ASSERT_EQ(mixed.gif->frames.size(), 1u);
  EXPECT_EQ(mixed.gif->frames[0].hasControl, 1);
  EXPECT_EQ(mixed.gif->frames[0].control.transparentColorIndex, 1);

  // An extension that no image follows has no effect.
  Loaded trailing = load(join({kPrologue, kImage, kControl, kTrailer}));
  EXPECT_EQ(trailing.status, GifStatus::Ok);
  EXPECT_EQ(trailing.gif->frames.size(), 1u);
}

TEST(GifReader, ExactlyOneByteIsTakenAfterEachImage) {
  // A trailer right after the data, without a block terminator, ends the
  // stream with that image as the last frame.
  Loaded direct =
      load(join({kPrologue, kDescriptor, kImageData, kTrailer, kImage}));
  EXPECT_EQ(direct.status, GifStatus::Ok);
  EXPECT_EQ(direct.gif->frames.size(), 1u);
  // Any other byte there is dropped unchecked.
  Loaded dropped = load(
      join({kPrologue, kDescriptor, kImageData, {0x77}, kImage, kTrailer}));
  EXPECT_EQ(dropped.status, GifStatus::Ok);
  EXPECT_EQ(dropped.gif->frames.size(), 2u);
  // Sub-blocks after the one with the end code: the first one's size byte is
  // the byte taken; 0x3B there ends the stream.
  Loaded extra = load(join({kPrologue, kDescriptor, kImageData, {0x3B, 0x01}}));
  EXPECT_EQ(extra.status, GifStatus::Ok);
  EXPECT_EQ(extra.gif->frames.size(), 1u);
  // A size of 2 is dropped, and the byte after it is read as an introducer.
  Loaded misread =
      load(join({kPrologue, kDescriptor, kImageData, {0x02, 0x3B}}));
  EXPECT_EQ(misread.status, GifStatus::Ok);
  Loaded stray = load(join({kPrologue, kDescriptor, kImageData, {0x02, 0x05}}));
  EXPECT_EQ(stray.status, GifStatus::UnknownBlock);
}

TEST(GifReader, DataWithoutEndCodeEndsAtTheBlockTerminator) {
  // A 4x1 image: clear, 1, 0, 1 at 3 bits and 0 at 4 bits fill two bytes
  // exactly, and no end code follows. The terminator ends the data, the
  // reader takes it as the byte after the image, and the next image follows.
  const Bytes wide = {0x2C, 0, 0, 0, 0, 0x04, 0x00, 0x01, 0x00, 0x00};
  const Bytes noEnd = {0x02, 0x02, 0x0C, 0x02, 0x00};
  Loaded loaded = load(join({kPrologue, wide, noEnd, kImage, kTrailer}));
  ASSERT_EQ(loaded.status, GifStatus::Ok);
  ASSERT_EQ(loaded.gif->frames.size(), 2u);
  EXPECT_EQ(loaded.gif->frames[0].pixelsDelivered, 4u);
  EXPECT_EQ(Bytes(loaded.gif->frames[0].pixels.data(),
                  loaded.gif->frames[0].pixels.data() + 4),
            (Bytes{1, 0, 1, 0}));
  EXPECT_EQ(loaded.gif->frames[1].pixelsDelivered, 2u);
}

TEST(GifReader, ZeroSizedImages) {
  // Height 0 with pixel codes: bad data. Without pixel codes: a frame.
  const Bytes flat = {0x2C, 0, 0, 0, 0, 0x02, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(
      statusOf(join({kPrologue, flat, kImageData, kTerminator, kTrailer})),
      GifStatus::BadImageData);
  // Clear then end: 4, 5 at 3 bits.
  Loaded empty =
      load(join({kPrologue, flat, {0x02, 0x01, 0x2C, 0x00}, kTrailer}));
  ASSERT_EQ(empty.status, GifStatus::Ok);
  ASSERT_EQ(empty.gif->frames.size(), 1u);
  EXPECT_EQ(empty.gif->frames[0].pixelCount(), 0u);
}

TEST(GifReader, UndeliveredPixelsAreCountedPerRow) {
  // A 2x2 image whose data holds 3 pixels: clear, 1, 0, 1, end.
  const Bytes square = {0x2C, 0, 0, 0, 0, 0x02, 0x00, 0x02, 0x00, 0x00};
  Loaded loaded =
      load(join({kPrologue, square, {0x02, 0x02, 0x0C, 0x52, 0x00}, kTrailer}));
  ASSERT_EQ(loaded.status, GifStatus::Ok);
  const GifFrame& frame = loaded.gif->frames[0];
  EXPECT_EQ(frame.pixelsDelivered, 3u);
  EXPECT_EQ(frame.deliveredInRow(0), 2u);
  EXPECT_EQ(frame.deliveredInRow(1), 1u);
}

TEST(GifReader, RunningOutOfMemoryIsItsOwnStatus) {
  const Bytes gif = join({kPrologue, kControl, kImage, kImage, kTrailer});
  // Every allocation of the load in turn: the global table, then each
  // image's pixels.
  int failures = 0;
  for (std::uint64_t n = 1; n < 20; ++n) {
    platform::failAllocationAfter(n);
    GifStatus status = statusOf(gif);
    platform::failAllocationAfter(0);
    if (status == GifStatus::Ok) break;
    EXPECT_EQ(status, GifStatus::NoMemory) << n;
    ++failures;
  }
  EXPECT_EQ(failures, 3);
}

// A table per image that turns index i into 255 - i - (the image's number),
// and what the reader told it.
class ReversingTables : public PixelTranslation {
 public:
  static std::uint8_t storedAs(std::size_t image, std::uint8_t index) {
    return static_cast<std::uint8_t>(255 - index - image);
  }
  const std::uint8_t* tableFor(const GifFile& gif,
                               const GifFrame& image) override {
    // Asked before the image's data, with its records in place, after the
    // images before it.
    EXPECT_EQ(gif.frames.size(), widths.size());
    EXPECT_EQ(image.pixelsDelivered, 0u);
    widths.push_back(image.width());
    for (int i = 0; i < 256; ++i) {
      table_[i] = storedAs(gif.frames.size(), static_cast<std::uint8_t>(i));
    }
    return table_;
  }
  std::vector<std::uint32_t> widths;

 private:
  std::uint8_t table_[256] = {};
};

TEST(GifReader, PixelsStoredThroughATranslationTable) {
  // A table per image, for an image of rows in order and for an interlaced
  // one, whose rows the reader places. (The decoder's own tests store every
  // way through the decoder through a table.)
  Bytes interlacedRows;
  for (std::uint32_t row : gifenc::interlacedRowOrder(5)) {
    interlacedRows.push_back(static_cast<std::uint8_t>(row));
  }
  const Bytes bytes = join({kPrologue,
                            kImage,
                            {0x2C, 0, 0, 0, 0, 0x01, 0x00, 0x05, 0x00, 0x40},
                            gifenc::encodeImageData(interlacedRows, 3),
                            kTrailer});

  const Loaded indices = load(bytes);
  ReversingTables tables;
  auto decoder = std::make_unique<LzwDecoder>();
  GifFile stored;
  GifInput input(bytes.data(), bytes.size());
  ASSERT_EQ(stored.load(input, *decoder, &tables), GifStatus::Ok);
  ASSERT_EQ(indices.status, GifStatus::Ok);
  EXPECT_EQ(tables.widths, (std::vector<std::uint32_t>{2, 1}));
  ASSERT_EQ(stored.frames.size(), 2u);
  EXPECT_EQ(Bytes(indices.gif->frames[1].pixels.data(),
                  indices.gif->frames[1].pixels.data() + 5),
            (Bytes{0, 1, 2, 3, 4}));
  for (std::size_t k = 0; k < stored.frames.size(); ++k) {
    SCOPED_TRACE(k);
    const GifFrame& frame = stored.frames[k];
    const GifFrame& plain = indices.gif->frames[k];
    EXPECT_TRUE(frame.pixelsTranslated);
    EXPECT_FALSE(plain.pixelsTranslated);
    ASSERT_EQ(frame.pixelsDelivered, frame.pixelCount());
    ASSERT_EQ(plain.pixelsDelivered, frame.pixelCount());
    for (std::uint32_t i = 0; i < frame.pixelCount(); ++i) {
      ASSERT_EQ(frame.pixels.data()[i],
                ReversingTables::storedAs(k, plain.pixels.data()[i]))
          << "pixel " << i;
    }
  }
}

}  // namespace
