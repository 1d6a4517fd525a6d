// Palette files: every layout read to the same colours, and every way a file
// can be wrong refused with its own status, leaving the colours alone.
#include "color/palette_file.h"

#include <filesystem>
#include <string>
#include <vector>

#include "color/committed_palette.h"
#include "gtest/gtest.h"
#include "platform/io_faults.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes textBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

PaletteFileStatus parse(const Bytes& bytes, PaletteColors& colors) {
  return parsePaletteFile(bytes.data(), bytes.size(), colors);
}

// The built-in palette's 6-bit colours.
const PaletteColors& builtIn() {
  static const PaletteColors colors = [] {
    const Bytes pal = committedResource("palette.pal");
    PaletteColors first{};
    if (pal.size() >= first.size()) {
      std::copy(pal.begin(), pal.begin() + 768, first.begin());
    }
    return first;
  }();
  return colors;
}

// Entry i's colour, as a palette file's 8-bit components would give it (255
// for the colourless ones); a grey for the entries a palette cannot have.
int eightBit(int i, int k) {
  if (i > 255) return 7;
  const int c = builtIn()[static_cast<std::size_t>(3 * i + k)];
  return c > 63 ? 255 : c * 4;
}

void expectMatchableEntriesAre(const PaletteColors& colors,
                               const PaletteColors& expected) {
  for (std::size_t i = 3; i < 3 * 229; ++i) {
    ASSERT_EQ(colors[i], expected[i]) << "entry " << i / 3;
  }
}

// A text palette of entries 0..count-1 of the built-in palette, 8-bit.
std::string colorLines(int count, const char* lineEnd = "\n") {
  std::string lines;
  for (int i = 0; i < count; ++i) {
    for (int k = 0; k < 3; ++k) {
      lines += std::to_string(i == 0 ? 0 : eightBit(i, k));
      lines += k < 2 ? " " : lineEnd;
    }
  }
  return lines;
}

std::string jasc(int declared, int lines) {
  return "JASC-PAL\r\n0100\r\n" + std::to_string(declared) + "\r\n" +
         colorLines(lines, "\r\n");
}

TEST(PaletteFile, TheCommittedFilesGiveTheBuiltInColours) {
  const PaletteColors expected = builtIn();
  for (const char* name : {"palette.pal", "palette.act", "palette.gpl"}) {
    SCOPED_TRACE(name);
    PaletteColors colors{};
    ASSERT_EQ(readPaletteFile(resourcePath(name).c_str(), colors),
              PaletteFileStatus::Ok);
    expectMatchableEntriesAre(colors, expected);
  }
  // The built-in layout is taken as it is, colourless entries included.
  PaletteColors colors{};
  ASSERT_EQ(readPaletteFile(resourcePath("palette.pal").c_str(), colors),
            PaletteFileStatus::Ok);
  EXPECT_EQ(colors, expected);
}

TEST(PaletteFile, SixBitAndEightBitRawTablesAreToldApartByTheirValues) {
  const PaletteColors sixBit = builtIn();
  PaletteColors colors{};
  ASSERT_EQ(parse(Bytes(sixBit.begin(), sixBit.end()), colors),
            PaletteFileStatus::Ok);
  EXPECT_EQ(colors, sixBit);

  // The same colours at 8 bits (c * 4 + 3: the low bits are dropped).
  Bytes act(768);
  for (std::size_t i = 0; i < 768; ++i) {
    act[i] =
        static_cast<std::uint8_t>(sixBit[i] > 63 ? 255 : sixBit[i] * 4 + 3);
  }
  ASSERT_EQ(parse(act, colors), PaletteFileStatus::Ok);
  expectMatchableEntriesAre(colors, sixBit);
  EXPECT_EQ(colors[0], 63);  // entry 0 reduced as the file holds it

  // A .act with its trailer: 229 colours in use, no transparent colour.
  act.insert(act.end(), {0x00, 0xE5, 0xFF, 0xFF});
  ASSERT_EQ(parse(act, colors), PaletteFileStatus::Ok);
  expectMatchableEntriesAre(colors, sixBit);
}

TEST(PaletteFile, TextPalettesInTheirUsualVariations) {
  const PaletteColors expected = builtIn();
  const std::vector<std::string> texts = {
      // GIMP with CRLF line ends, a byte-order mark, blank lines, comments,
      // tabs, colour names with spaces, and fewer than 256 entries.
      "\xEF\xBB\xBFGIMP Palette\r\nName: test\r\nColumns: 16\r\n\r\n"
      "# a comment\r\n" +
          colorLines(1, "\tnone\r\n") + "\r\n" +
          [] {
            std::string lines;
            for (int i = 1; i < 229; ++i) {
              lines += "  " + std::to_string(eightBit(i, 0)) + "\t" +
                       std::to_string(eightBit(i, 1)) + "   " +
                       std::to_string(eightBit(i, 2)) + "\tsome name " +
                       std::to_string(i) + "\r\n";
            }
            return lines;
          }(),
      // GIMP, all 256 entries, no newline at the end.
      "GIMP Palette\n" + colorLines(256).substr(0, colorLines(256).size() - 1),
      // JASC-PAL as Paint Shop Pro writes it, and with LF only and blank
      // lines after the last colour.
      jasc(256, 256),
      "JASC-PAL\n0100\n229\n" + colorLines(229) + "\n\n",
  };
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 40));
    PaletteColors colors{};
    ASSERT_EQ(parse(textBytes(text), colors), PaletteFileStatus::Ok);
    expectMatchableEntriesAre(colors, expected);
  }
  // Entries a text file does not have are colourless.
  PaletteColors colors{};
  ASSERT_EQ(parse(textBytes(jasc(229, 229)), colors), PaletteFileStatus::Ok);
  EXPECT_EQ(colors[3 * 229], 255);
  EXPECT_EQ(colors[767], 255);
}

TEST(PaletteFile, EveryMalformedFileIsRefusedWithItsReason) {
  Bytes tooLarge(kMaxPaletteFileSize + 1, '0');
  Bytes notSixBit = committedResource("palette.pal");
  notSixBit[3 * 228 + 1] = 64;  // entry 228's green above 63
  Bytes actCountLow = committedResource("palette.act");
  actCountLow[769] = 228;  // the trailer says entries 0..227 only
  Bytes actCountHigh = committedResource("palette.act");
  actCountHigh[768] = 0x01;  // 0x01E5 = 485 colours
  Bytes zeroCount = committedResource("palette.act");
  zeroCount[769] = 0;  // no colour in use

  const struct {
    const char* what;
    Bytes bytes;
    PaletteFileStatus status;
  } cases[] = {
      {"empty file", {}, PaletteFileStatus::UnknownFormat},
      {"767 bytes: no layout has that size", Bytes(767, 1),
       PaletteFileStatus::UnknownFormat},
      {"text without a known header", textBytes("Palette\n" + colorLines(229)),
       PaletteFileStatus::UnknownFormat},
      {"one byte beyond the size limit", tooLarge, PaletteFileStatus::TooLarge},
      {"built-in layout with an entry above 63", notSixBit,
       PaletteFileStatus::NotSixBit},
      {".act trailer counting 228 colours", actCountLow,
       PaletteFileStatus::TooFewEntries},
      {".act trailer counting 0 colours", zeroCount,
       PaletteFileStatus::TooFewEntries},
      {".act trailer counting 485 colours", actCountHigh,
       PaletteFileStatus::TooManyEntries},
      {"GIMP header only", textBytes("GIMP Palette\n"),
       PaletteFileStatus::TooFewEntries},
      {"GIMP with entries 0..227",
       textBytes("GIMP Palette\n" + colorLines(228)),
       PaletteFileStatus::TooFewEntries},
      {"GIMP with 257 entries", textBytes("GIMP Palette\n" + colorLines(257)),
       PaletteFileStatus::TooManyEntries},
      {"GIMP line of two numbers",
       textBytes("GIMP Palette\n" + colorLines(100) + "12 34\n" +
                 colorLines(200)),
       PaletteFileStatus::MalformedText},
      {"GIMP component 256",
       textBytes("GIMP Palette\n" + colorLines(100) + "12 34 256\n" +
                 colorLines(200)),
       PaletteFileStatus::ComponentTooLarge},
      {"GIMP component of many digits",
       textBytes("GIMP Palette\n" + colorLines(100) +
                 "1 2 99999999999999999999\n" + colorLines(200)),
       PaletteFileStatus::ComponentTooLarge},
      {"GIMP negative component",
       textBytes("GIMP Palette\n" + colorLines(100) + "1 -2 3\n" +
                 colorLines(200)),
       PaletteFileStatus::MalformedText},
      {"GIMP number run into a name",
       textBytes("GIMP Palette\n" + colorLines(100) + "1 2 3red\n" +
                 colorLines(200)),
       PaletteFileStatus::MalformedText},
      {"GIMP header run into other text",
       textBytes("GIMP Palettes\n" + colorLines(229)),
       PaletteFileStatus::UnknownFormat},
      {"JASC without version", textBytes("JASC-PAL\n"),
       PaletteFileStatus::MalformedText},
      {"JASC version 0200",
       textBytes("JASC-PAL\n0200\n229\n" + colorLines(229)),
       PaletteFileStatus::MalformedText},
      {"JASC without count", textBytes("JASC-PAL\n0100\n"),
       PaletteFileStatus::MalformedText},
      {"JASC count not a number",
       textBytes("JASC-PAL\n0100\nmany\n" + colorLines(229)),
       PaletteFileStatus::MalformedText},
      {"JASC count 228", textBytes(jasc(228, 228)),
       PaletteFileStatus::TooFewEntries},
      {"JASC count 300", textBytes(jasc(300, 300)),
       PaletteFileStatus::TooManyEntries},
      {"JASC one colour short of its count", textBytes(jasc(240, 239)),
       PaletteFileStatus::CountMismatch},
      {"JASC one colour beyond its count", textBytes(jasc(240, 241)),
       PaletteFileStatus::CountMismatch},
      {"JASC colour with a name",
       textBytes("JASC-PAL\n0100\n229\n" + colorLines(228) + "1 2 3 grey\n"),
       PaletteFileStatus::MalformedText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PaletteColors colors;
    colors.fill(0xAB);
    EXPECT_EQ(parse(c.bytes, colors), c.status);
    EXPECT_EQ(colors[0], 0xAB);
    EXPECT_EQ(colors[767], 0xAB);
  }
}

TEST(PaletteFile, FilesThatCannotBeReadWhole) {
  TempDir dir;
  PaletteColors colors{};
  EXPECT_EQ(readPaletteFile(dir.file("missing.pal").c_str(), colors),
            PaletteFileStatus::CantOpen);
  std::filesystem::create_directory(dir.file("folder.pal"));
  EXPECT_EQ(readPaletteFile(dir.file("folder.pal").c_str(), colors),
            PaletteFileStatus::CantOpen);
  dir.write("huge.gpl", Bytes(kMaxPaletteFileSize + 1, ' '));
  EXPECT_EQ(readPaletteFile(dir.file("huge.gpl").c_str(), colors),
            PaletteFileStatus::TooLarge);

  dir.write("good.pal", committedResource("palette.pal"));
  platform::failReadAfter(1);
  EXPECT_EQ(readPaletteFile(dir.file("good.pal").c_str(), colors),
            PaletteFileStatus::ReadFailed);
  platform::failReadAfter(0);
  EXPECT_EQ(readPaletteFile(dir.file("good.pal").c_str(), colors),
            PaletteFileStatus::Ok);
}

}  // namespace
