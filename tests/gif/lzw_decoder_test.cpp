// The LZW decoder alone, on hand-made code streams.
#include "gif/lzw_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

#include "gif/encoder/gifenc.h"
#include "gif/interlace.h"

namespace {

using gifenc::CodeStream;
using gifenc::withWidths;
using Bytes = std::vector<std::uint8_t>;

struct Decoded {
  LzwStatus status;
  Bytes pixels;  // the delivered pixels, in the order the output holds them
  std::uint64_t delivered;
  std::uint64_t position;  // where the decoder left the input
};

enum class Path { Fast, Reference };

// A table that moves every index somewhere else.
std::uint8_t translated(std::uint8_t index) {
  return static_cast<std::uint8_t>(index * 151u + 89u);
}
const std::vector<std::uint8_t> kTable = [] {
  std::vector<std::uint8_t> table(256);
  for (int i = 0; i < 256; ++i)
    table[i] = translated(static_cast<std::uint8_t>(i));
  return table;
}();

// Where one decode goes: width x height pixels and slack bytes after them.
struct Target {
  std::uint16_t width;
  std::uint16_t height;
  bool interlaced = false;
  bool translate = false;
  std::size_t slack = LzwDecoder::kOutputSlack;
};

// Bytes on either side of what a decode may write, which must keep their
// value.
constexpr std::size_t kGuard = 64;
constexpr std::uint8_t kGuardByte = 0xA5;

Decoded decodeOne(LzwDecoder& decoder, Path path, const Bytes& data,
                  const Target& target) {
  const std::size_t capacity = std::size_t{target.width} * target.height;
  Bytes buffer(kGuard + capacity + target.slack + kGuard, kGuardByte);
  std::uint8_t* const pixels = buffer.data() + kGuard;
  LzwOutput output;
  output.pixels = pixels;
  output.lineLength = target.width;
  output.lineCount = target.height;
  output.slack = target.slack;
  output.table = target.translate ? kTable.data() : nullptr;
  output.rowOrder = target.interlaced ? interlacedDisplayRow : nullptr;
  GifInput input(data.data(), data.size());
  Decoded result;
  result.status = path == Path::Fast ? decoder.decode(input, output)
                                     : decoder.decodeReference(input, output);
  result.delivered = output.delivered;
  // Only delivered pixels have defined values: the first rows of the data,
  // and part of the next one.
  std::vector<std::uint32_t> inRow(target.height);
  for (std::uint32_t row = 0; row < target.height; ++row) {
    std::uint64_t start = std::uint64_t{row} * target.width;
    std::uint64_t count =
        output.delivered > start ? output.delivered - start : 0;
    std::uint32_t shown =
        target.interlaced ? interlacedDisplayRow(row, target.height) : row;
    inRow[shown] = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(count, target.width));
  }
  for (std::uint32_t y = 0; y < target.height; ++y) {
    const std::uint8_t* row = pixels + std::size_t{y} * target.width;
    result.pixels.insert(result.pixels.end(), row, row + inRow[y]);
  }
  result.position = input.position();
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.begin() + kGuard,
                          [](std::uint8_t byte) { return byte == kGuardByte; }))
      << "written before the pixels";
  EXPECT_TRUE(std::all_of(pixels + capacity + target.slack,
                          buffer.data() + buffer.size(),
                          [](std::uint8_t byte) { return byte == kGuardByte; }))
      << "written past the slack";
  return result;
}

// The production decoder and the reference decoder side by side, each with
// its own dictionary: every decode runs through both and must agree in
// every respect, the dictionary left behind included. Both run once more
// with a translation table, which must store each pixel through it.
struct Decoders {
  std::unique_ptr<LzwDecoder> fast = std::make_unique<LzwDecoder>();
  std::unique_ptr<LzwDecoder> reference = std::make_unique<LzwDecoder>();
  std::unique_ptr<LzwDecoder> fastTranslated = std::make_unique<LzwDecoder>();
  std::unique_ptr<LzwDecoder> referenceTranslated =
      std::make_unique<LzwDecoder>();
};

void expectSame(const Decoded& fast, const Decoded& reference) {
  EXPECT_EQ(fast.status, reference.status);
  EXPECT_EQ(fast.delivered, reference.delivered);
  EXPECT_EQ(fast.pixels, reference.pixels);
  EXPECT_EQ(fast.position, reference.position);
}

void expectSameDictionary(const LzwDecoder& fast, const LzwDecoder& reference) {
  EXPECT_TRUE(std::equal(std::begin(fast.prefix), std::end(fast.prefix),
                         std::begin(reference.prefix)));
  EXPECT_TRUE(std::equal(std::begin(fast.suffix), std::end(fast.suffix),
                         std::begin(reference.suffix)));
}

Decoded decodeWith(Decoders& decoders, const Bytes& data, Target target) {
  target.translate = false;
  Decoded fast = decodeOne(*decoders.fast, Path::Fast, data, target);
  Decoded reference =
      decodeOne(*decoders.reference, Path::Reference, data, target);
  expectSame(fast, reference);
  expectSameDictionary(*decoders.fast, *decoders.reference);

  target.translate = true;
  Decoded expected = reference;
  for (std::uint8_t& pixel : expected.pixels) pixel = translated(pixel);
  expectSame(decodeOne(*decoders.fastTranslated, Path::Fast, data, target),
             expected);
  expectSame(
      decodeOne(*decoders.referenceTranslated, Path::Reference, data, target),
      expected);
  // The dictionary holds indices, whatever they are stored as.
  expectSameDictionary(*decoders.fastTranslated, *decoders.reference);
  expectSameDictionary(*decoders.referenceTranslated, *decoders.reference);
  return reference;
}

Decoded decodeWith(Decoders& decoders, const Bytes& data, std::uint16_t width,
                   std::uint16_t height, bool interlaced = false) {
  return decodeWith(decoders, data, Target{width, height, interlaced});
}

Decoded decode(const Bytes& data, std::uint16_t width, std::uint16_t height,
               bool interlaced = false) {
  Decoders decoders;
  return decodeWith(decoders, data, width, height, interlaced);
}

// Image data for code values, with the widths a decoder reads them at.
Bytes stream(int minCodeSize, const std::vector<std::uint16_t>& codes,
             std::size_t subBlockSize = 255) {
  return CodeStream(static_cast<std::uint8_t>(minCodeSize), subBlockSize)
      .codes(withWidths(minCodeSize, codes))
      .bytes();
}

Bytes randomPixels(std::size_t count, int bits, unsigned seed) {
  std::mt19937 random(seed);
  Bytes pixels(count);
  for (auto& p : pixels)
    p = static_cast<std::uint8_t>(random() & ((1u << bits) - 1));
  return pixels;
}

// With minimum code size 2: clear 4, end 5, first free slot 6.
constexpr std::uint16_t kClear = 4;
constexpr std::uint16_t kEnd = 5;

TEST(LzwDecoder, MinimumCodeSizeMustBeTwoToNine) {
  for (int size : {2, 9}) {
    Bytes data = CodeStream(static_cast<std::uint8_t>(size))
                     .codes(withWidths(
                         size, {static_cast<std::uint16_t>(1 << size),
                                static_cast<std::uint16_t>((1 << size) + 1)}))
                     .bytes();
    EXPECT_EQ(decode(data, 1, 1).status, LzwStatus::Ok) << size;
  }
  for (int size : {0, 1, 10, 255}) {
    Decoded result =
        decode(Bytes{static_cast<std::uint8_t>(size), 1, 0, 0}, 1, 1);
    EXPECT_EQ(result.status, LzwStatus::BadCodeSize) << size;
    EXPECT_EQ(result.position, 1u);
  }
  EXPECT_EQ(decode(Bytes{}, 1, 1).status, LzwStatus::ReadFailed);
}

TEST(LzwDecoder, ClearThenEndDeliversNothing) {
  Decoded result = decode(stream(2, {kClear, kEnd}), 4, 4);
  EXPECT_EQ(result.status, LzwStatus::Ok);
  EXPECT_EQ(result.delivered, 0u);
}

TEST(LzwDecoder, ExactImageShortImageAndOverflow) {
  // 3 x 2 image of literals: exactly full.
  Decoded full = decode(stream(2, {kClear, 0, 1, 2, 3, 0, 1, kEnd}), 3, 2);
  EXPECT_EQ(full.status, LzwStatus::Ok);
  EXPECT_EQ(full.pixels, (Bytes{0, 1, 2, 3, 0, 1}));

  // Four pixels: one full line and a partial one of its actual length.
  Decoded partial = decode(stream(2, {kClear, 0, 1, 2, 3, kEnd}), 3, 2);
  EXPECT_EQ(partial.status, LzwStatus::Ok);
  EXPECT_EQ(partial.pixels, (Bytes{0, 1, 2, 3}));

  // Seven pixels: the second line fits, the partial third overflows.
  Decoded over = decode(stream(2, {kClear, 0, 1, 2, 3, 0, 1, 2, kEnd}), 3, 2);
  EXPECT_EQ(over.status, LzwStatus::PixelOverflow);
  EXPECT_EQ(over.pixels, (Bytes{0, 1, 2, 3, 0, 1}));

  // Nine pixels: the third full line overflows; the first two stay.
  Decoded lines =
      decode(stream(2, {kClear, 0, 1, 2, 3, 0, 1, 2, 3, 0, kEnd}), 3, 2);
  EXPECT_EQ(lines.status, LzwStatus::PixelOverflow);
  EXPECT_EQ(lines.delivered, 6u);
}

TEST(LzwDecoder, ZeroSizedImages) {
  EXPECT_EQ(decode(stream(2, {kClear, 1, kEnd}), 3, 0).status,
            LzwStatus::PixelOverflow);
  EXPECT_EQ(decode(stream(2, {kClear, kEnd}), 3, 0).status, LzwStatus::Ok);
  // Width 0: not even one pixel has a place, and nothing is written.
  EXPECT_EQ(decode(stream(2, {kClear, 1, kEnd}), 0, 5).status,
            LzwStatus::PixelOverflow);
  Decoded empty = decode(stream(2, {kClear, kEnd}), 0, 5);
  EXPECT_EQ(empty.status, LzwStatus::Ok);
  EXPECT_EQ(empty.delivered, 0u);
}

// The fast path copies strings in whole words, into the slack after the
// pixels. Given less slack than that, it must write nothing past the pixels
// (decodeOne checks the bytes around the output on every decode).
TEST(LzwDecoder, WithoutSlackNothingPastThePixelsIsWritten) {
  const Bytes pixels = randomPixels(40 * 30, 2, 5);  // strings of a few bytes
  const Bytes data = gifenc::encodeImageData(pixels, 2, {true, 255});
  for (std::size_t slack : {std::size_t{0}, LzwDecoder::kOutputSlack - 1}) {
    SCOPED_TRACE(slack);
    Decoders decoders;
    EXPECT_EQ(
        decodeWith(decoders, data, Target{40, 30, false, false, slack}).pixels,
        pixels);
    // One row short: the last line overflows and is not stored.
    Decoded over =
        decodeWith(decoders, data, Target{40, 29, false, false, slack});
    EXPECT_EQ(over.status, LzwStatus::PixelOverflow);
    EXPECT_EQ(over.delivered, 40u * 29u);
  }
}

TEST(LzwDecoder, ClearCodes) {
  // A run of clears acts as one.
  EXPECT_EQ(
      decode(stream(2, {kClear, kClear, kClear, 2, 3, kEnd}), 2, 1).pixels,
      (Bytes{2, 3}));
  // A clear right before the end delivers the partial line.
  Decoded partial = decode(stream(2, {kClear, 1, 2, 3, kClear, kEnd}), 2, 2);
  EXPECT_EQ(partial.status, LzwStatus::Ok);
  EXPECT_EQ(partial.pixels, (Bytes{1, 2, 3}));
  // After a clear, the first code names no slot yet: 7 is taken as 0.
  EXPECT_EQ(decode(stream(2, {kClear, 7, 1, kEnd}), 2, 1).pixels,
            (Bytes{0, 1}));
  // A clear resets the dictionary: slot 6 is defined anew after it.
  EXPECT_EQ(
      decode(stream(2, {kClear, 1, 2, 6, kClear, 3, 0, 6, kEnd}), 10, 1).pixels,
      (Bytes{1, 2, 1, 2, 3, 0, 3, 0}));
}

TEST(LzwDecoder, CodesNotYetDefined) {
  // 6 is nextCode: the previous string plus its own first byte.
  EXPECT_EQ(decode(stream(2, {kClear, 1, 6, kEnd}), 3, 1).pixels,
            (Bytes{1, 1, 1}));
  // A code above nextCode decodes exactly like nextCode.
  EXPECT_EQ(decode(stream(2, {kClear, 1, 7, kEnd}), 3, 1).pixels,
            (Bytes{1, 1, 1}));
  EXPECT_EQ(decode(stream(2, {kClear, 2, 3, 7, kEnd}), 5, 1).pixels,
            (Bytes{2, 3, 3, 3}));
}

// Regression: the first code of data without a leading clear code defined
// a slot of its own (prefix 0), so every later slot was one off and such
// files (encoders may leave the clear code out) decoded to wrong pixels or
// overflowed their frames.
TEST(LzwDecoder, FirstCodeWithoutLeadingClearDefinedASlot) {
  // 1 defines nothing, 2 defines slot 6 = 1, 2; 6 defines slot 7, which
  // widens the codes: the end code is read with 4 bits.
  Bytes data = CodeStream(2).codes({{1, 3}, {2, 3}, {6, 3}, {kEnd, 4}}).bytes();
  Decoded result = decode(data, 4, 1);
  EXPECT_EQ(result.status, LzwStatus::Ok);
  EXPECT_EQ(result.pixels, (Bytes{1, 2, 1, 2}));
  Bytes cleared = CodeStream(2)
                      .codes({{kClear, 3}, {1, 3}, {2, 3}, {6, 3}, {kEnd, 4}})
                      .bytes();
  EXPECT_EQ(decode(cleared, 4, 1).pixels, result.pixels);
  // As after a clear code, a first code that names a slot is taken as 0.
  EXPECT_EQ(
      decode(CodeStream(2).codes({{7, 3}, {1, 3}, {kEnd, 3}}).bytes(), 2, 1)
          .pixels,
      (Bytes{0, 1}));
}

TEST(LzwDecoder, CodeWidthGrowsAfterTheLastSlotOfAWidth) {
  // Min code size 2: slots 6 and 7 fill the 3-bit space, so the fourth code
  // after the clear is read with 4 bits. Packed by hand: 4, 1, 2, 3 at 3
  // bits, then 6 and the end code at 4 bits.
  Bytes data =
      CodeStream(2)
          .codes({{kClear, 3}, {1, 3}, {2, 3}, {3, 3}, {6, 4}, {kEnd, 4}})
          .bytes();
  EXPECT_EQ(decode(data, 5, 1).pixels, (Bytes{1, 2, 3, 1, 2}));

  // Min code size 8: 9-bit codes until slot 511 has been added. After the
  // clear, code 0 adds nothing and codes 1..254 define slots 258..511; the
  // next code is read with 10 bits.
  std::vector<std::uint16_t> codes = {256};
  for (int i = 0; i < 256; ++i) codes.push_back(static_cast<std::uint16_t>(i));
  codes.push_back(258);
  codes.push_back(257);
  std::vector<gifenc::Code> widths = withWidths(8, codes);
  EXPECT_EQ(widths[255].width, 9);
  EXPECT_EQ(widths[256].width, 10);
  Bytes expected;
  for (int i = 0; i < 256; ++i)
    expected.push_back(static_cast<std::uint8_t>(i));
  expected.push_back(0);
  expected.push_back(1);
  EXPECT_EQ(decode(CodeStream(8).codes(widths).bytes(), 258, 1).pixels,
            expected);
}

TEST(LzwDecoder, FullDictionaryKeepsTwelveBitsUntilAClear) {
  // Noise fills the 4096 slots; the encoder then goes on without clearing,
  // or clears, and both must decode to the same pixels.
  for (bool clearWhenFull : {false, true}) {
    Bytes pixels = randomPixels(200 * 100, 4, 7);
    Bytes data = gifenc::encodeImageData(pixels, 4, {clearWhenFull, 255});
    Decoded result = decode(data, 200, 100);
    EXPECT_EQ(result.status, LzwStatus::Ok);
    EXPECT_EQ(result.pixels, pixels) << clearWhenFull;
  }
}

TEST(LzwDecoder, CodesSpanSubBlocks) {
  Bytes pixels = randomPixels(64 * 9, 3, 11);
  Bytes whole = gifenc::encodeImageData(pixels, 3, {true, 255});
  for (std::size_t size : {1, 2, 3, 254}) {
    Decoded result =
        decode(gifenc::encodeImageData(pixels, 3, {true, size}), 64, 9);
    EXPECT_EQ(result.status, LzwStatus::Ok) << size;
    EXPECT_EQ(result.pixels, pixels) << size;
  }
  EXPECT_EQ(decode(whole, 64, 9).pixels, pixels);
}

TEST(LzwDecoder, EndCodeMidSubBlockLeavesInputAfterThatSubBlock) {
  // One sub-block holding the codes and junk after the end code, then a
  // second sub-block and the terminator, which stay unread.
  Bytes packed = gifenc::packBits(withWidths(2, {kClear, 1, 2, kEnd}));
  Bytes hand = {2, static_cast<std::uint8_t>(packed.size() + 3)};
  hand.insert(hand.end(), packed.begin(), packed.end());
  hand.insert(hand.end(), {0xDE, 0xAD, 0xBE});  // rest of the same sub-block
  std::size_t afterBlock = hand.size();
  hand.insert(hand.end(), {0x02, 0x11, 0x22, 0x00});  // a further sub-block
  Decoded result = decode(hand, 2, 1);
  EXPECT_EQ(result.status, LzwStatus::Ok);
  EXPECT_EQ(result.pixels, (Bytes{1, 2}));
  EXPECT_EQ(result.position, afterBlock);
}

TEST(LzwDecoder, ZeroLengthSubBlockEndsTheDataLikeAnEndCode) {
  // No end code: the codes' sub-block is followed by the block terminator.
  // The codes fill their two bytes exactly (3 + 3 + 3 + 3 + 4 bits).
  Bytes packed = gifenc::packBits(withWidths(2, {kClear, 1, 2, 3, 0}));
  ASSERT_EQ(packed.size(), 2u);
  Bytes data = {2, static_cast<std::uint8_t>(packed.size())};
  data.insert(data.end(), packed.begin(), packed.end());
  std::size_t terminator = data.size();
  data.insert(data.end(), {0x00, 0x2C});  // terminator, then the next block
  Decoded result = decode(data, 3, 2);
  EXPECT_EQ(result.status, LzwStatus::Ok);
  // The partial last line is delivered and the terminator is left unread.
  EXPECT_EQ(result.pixels, (Bytes{1, 2, 3, 0}));
  EXPECT_EQ(result.position, terminator);

  // Also when it comes between clear codes.
  Bytes afterClear = {2, 1, static_cast<std::uint8_t>(kClear), 0x00, 0x3B};
  Decoded cleared = decode(afterClear, 2, 2);
  EXPECT_EQ(cleared.status, LzwStatus::Ok);
  EXPECT_EQ(cleared.position, 3u);
}

TEST(LzwDecoder, EndOfFileInsideTheDataKeepsFullLines) {
  Bytes data = stream(2, {kClear, 1, 2, 3, 0, 1, kEnd}, 1);  // a byte a block
  data.resize(data.size() - 2);  // lose the end code's byte and the terminator
  Decoded result = decode(data, 2, 3);
  EXPECT_EQ(result.status, LzwStatus::Ok);
  // The pixels before the lost byte arrive in whole lines only.
  EXPECT_EQ(result.pixels, (Bytes{1, 2, 3, 0}));
}

TEST(LzwDecoder, InterlacedRowsLandInDisplayOrder) {
  // Ten rows of one pixel, each holding its own display row number; the
  // data holds them in interlace order.
  Bytes streamOrder;
  for (std::uint32_t row : gifenc::interlacedRowOrder(10)) {
    streamOrder.push_back(static_cast<std::uint8_t>(row));
  }
  Bytes data = gifenc::encodeImageData(streamOrder, 4);
  Decoded result = decode(data, 1, 10, true);
  EXPECT_EQ(result.status, LzwStatus::Ok);
  EXPECT_EQ(result.pixels, (Bytes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

  // Data that ends inside its third row (shown as row 4): rows 0 and 8 are
  // whole, and the partial line starts row 4.
  Bytes partial;
  for (std::uint32_t row : gifenc::interlacedRowOrder(10)) {
    for (std::uint32_t x = 0; x < 2; ++x)
      partial.push_back(static_cast<std::uint8_t>(row * 2 + x));
  }
  partial.resize(5);
  Decoded cut = decode(gifenc::encodeImageData(partial, 5), 2, 10, true);
  EXPECT_EQ(cut.status, LzwStatus::Ok);
  EXPECT_EQ(cut.delivered, 5u);
  EXPECT_EQ(cut.pixels, (Bytes{0, 1, 8, 16, 17}));
}

TEST(LzwDecoder, LiteralsAbove255KeepTheirLowByte) {
  Bytes data = CodeStream(9).codes(withWidths(9, {512, 300, 513})).bytes();
  EXPECT_EQ(decode(data, 1, 1).pixels, (Bytes{44}));
}

TEST(LzwDecoder, SlotsOutliveTheImageThatMadeThem) {
  // Minimum code size 3: clear 8, end 9, first free slot 10.
  const Bytes first = stream(3, {8, 1, 2, 3, 4, 5, 6, 7, 9});  // 14 = 5,6
  // 1; then 14, above nextCode 10, which decodes like nextCode and makes
  // previousCode 14; then 0 defines slot 11 with prefix 14, a slot this
  // image never defined; then 11 walks through slot 14 as the dictionary
  // holds it.
  const Bytes second = stream(3, {8, 1, 14, 0, 11, 9});

  Decoders decoders;
  EXPECT_EQ(decodeWith(decoders, first, 7, 1).pixels,
            (Bytes{1, 2, 3, 4, 5, 6, 7}));
  Decoded after = decodeWith(decoders, second, 16, 1);
  EXPECT_EQ(after.status, LzwStatus::Ok);
  EXPECT_EQ(after.pixels, (Bytes{1, 1, 1, 0, 5, 6, 0}));

  // A decoder that never saw the first image holds zeros in slot 14.
  EXPECT_EQ(decode(second, 16, 1).pixels, (Bytes{1, 1, 1, 0, 0, 0, 0}));
}

TEST(LzwDecoder, ADictionaryLoopStopsWithItsOwnStatus) {
  // 1; 7 (above nextCode) makes slot 6 and previousCode 7; 6 then defines
  // slot 7 with prefix 7, a loop; reading 7 would never end.
  Decoded result = decode(stream(2, {kClear, 1, 7, 6, 7, kEnd}), 64, 64);
  EXPECT_EQ(result.status, LzwStatus::DictionaryCycle);
}

}  // namespace

namespace {

// Random images, random corruptions of them and random code soup, through
// both decoders with dictionaries that carry over from case to case.
TEST(LzwDecoder, FastAndReferenceAgreeOnRandomAndCorruptStreams) {
  std::mt19937 random(20261207);
  auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
  Decoders decoders;
  for (int round = 0; round < 3000; ++round) {
    SCOPED_TRACE(round);
    int minCodeSize = 2 + static_cast<int>(below(7));
    auto width =
        static_cast<std::uint16_t>(below(5) == 0 ? below(3) : 1 + below(48));
    auto height =
        static_cast<std::uint16_t>(below(5) == 0 ? below(3) : 1 + below(48));
    Bytes data;
    switch (below(3)) {
      case 0: {  // a real image, possibly with more or fewer pixels
        std::size_t count = std::size_t{width} * height;
        if (below(3) == 0) count = below(static_cast<unsigned>(count * 2 + 8));
        Bytes pixels(count);
        // Few distinct values make long strings; many make short ones.
        unsigned colors = 1 + below(1u << minCodeSize);
        for (auto& p : pixels) p = static_cast<std::uint8_t>(below(colors));
        data = gifenc::encodeImageData(pixels, minCodeSize,
                                       {below(2) == 0, 1 + below(255)});
        break;
      }
      case 1: {  // random codes at the widths a decoder reads them with
        std::vector<std::uint16_t> codes;
        if (below(4) != 0)
          codes.push_back(static_cast<std::uint16_t>(1 << minCodeSize));
        std::size_t count = below(3000);
        for (std::size_t i = 0; i < count; ++i) {
          codes.push_back(static_cast<std::uint16_t>(below(4096)));
        }
        std::vector<gifenc::Code> widths = withWidths(minCodeSize, codes);
        for (auto& code : widths) {
          code.value =
              static_cast<std::uint16_t>(code.value & ((1u << code.width) - 1));
        }
        data =
            CodeStream(static_cast<std::uint8_t>(minCodeSize), 1 + below(255))
                .codes(widths)
                .bytes(below(2) == 0);
        break;
      }
      default: {  // pure noise after a valid code size byte
        data.push_back(static_cast<std::uint8_t>(minCodeSize));
        std::size_t count = below(600);
        for (std::size_t i = 0; i < count; ++i)
          data.push_back(static_cast<std::uint8_t>(random()));
        break;
      }
    }
    // Corrupt some of them: flipped bits, a truncation.
    if (!data.empty() && below(2) == 0) {
      for (unsigned flips = 1 + below(4); flips > 0; --flips) {
        data[below(static_cast<unsigned>(data.size()))] ^=
            static_cast<std::uint8_t>(1u << below(8));
      }
    }
    if (!data.empty() && below(4) == 0)
      data.resize(below(static_cast<unsigned>(data.size())));
    decodeWith(decoders, data, width, height);
    if (::testing::Test::HasFailure()) break;  // one case is enough to debug
  }
}

}  // namespace
