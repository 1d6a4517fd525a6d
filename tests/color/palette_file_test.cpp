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

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

PaletteFileStatus parse(const Bytes& bytes, PaletteColors& colors) {
  return parsePaletteFile(bytes.data(), bytes.size(), colors);
}

// The built-in palette's first 768 bytes: its 6-bit colours.
PaletteColors builtIn() {
  const Bytes pal = committedResource("palette.pal");
  PaletteColors colors{};
  std::copy(pal.begin(), pal.begin() + std::min<std::size_t>(768, pal.size()),
            colors.begin());
  return colors;
}

// Text lines of entries 0..count-1: the built-in colours times 4 (an 8-bit
// file's values), 255 for the colourless ones, 7 beyond entry 255.
std::string colorLines(int count, const char* lineEnd = "\n") {
  const PaletteColors colors = builtIn();
  std::string lines;
  for (int i = 0; i < count; ++i) {
    for (int k = 0; k < 3; ++k) {
      const int c = i > 255 ? 7 : colors[static_cast<std::size_t>(3 * i + k)];
      lines += std::to_string(i > 255 ? 7 : (c > 63 ? 255 : c * 4));
      lines += k < 2 ? " " : lineEnd;
    }
  }
  return lines;
}

std::string jasc(int declared, int lines) {
  return "JASC-PAL\r\n0100\r\n" + std::to_string(declared) + "\r\n" +
         colorLines(lines, "\r\n");
}

void expectBuiltInColors(const PaletteColors& colors) {
  const PaletteColors expected = builtIn();
  EXPECT_TRUE(std::equal(colors.begin() + 3, colors.begin() + 3 * 229,
                         expected.begin() + 3));
}

TEST(PaletteFile, EveryLayoutGivesTheSameColours) {
  PaletteColors colors{};
  for (const char* name : {"palette.pal", "palette.act", "palette.gpl"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(readPaletteFile(resourcePath(name).c_str(), colors),
              PaletteFileStatus::Ok);
    expectBuiltInColors(colors);
  }
  // 768 bytes of 6 bits, taken as they are, colourless entries included.
  const PaletteColors sixBit = builtIn();
  ASSERT_EQ(parse(Bytes(sixBit.begin(), sixBit.end()), colors),
            PaletteFileStatus::Ok);
  EXPECT_EQ(colors, sixBit);
  // The same at 8 bits (c * 4 + 3): an .act without trailer.
  Bytes act;
  for (std::uint8_t c : sixBit) {
    act.push_back(static_cast<std::uint8_t>(c > 63 ? 255 : c * 4 + 3));
  }
  ASSERT_EQ(parse(act, colors), PaletteFileStatus::Ok);
  expectBuiltInColors(colors);
  EXPECT_EQ(colors[0], 63);  // entry 0 reduced as the file holds it

  const std::vector<std::string> texts = {
      // GIMP with a byte-order mark, CRLF, blank lines, comments, tabs and
      // names with spaces; then one without a newline at the end.
      "\xEF\xBB\xBFGIMP Palette\r\nName: test\r\nColumns: 16\r\n\r\n# c\r\n" +
          colorLines(229, "\tsome name\r\n"),
      "GIMP Palette\n" + colorLines(256).substr(0, colorLines(256).size() - 1),
      jasc(256, 256), "JASC-PAL\n0100\n229\n" + colorLines(229) + "\n\n"};
  for (const std::string& t : texts) {
    ASSERT_EQ(parse(text(t), colors), PaletteFileStatus::Ok) << t.substr(0, 30);
    expectBuiltInColors(colors);
  }
  EXPECT_EQ(colors[3 * 229], 255);  // entries a text file lacks: colourless
  // An .act whose trailer counts 229 colours: the bytes after them are
  // padding, colourless too.
  Bytes counted = committedResource("palette.act");
  counted[768] = 0;
  counted[769] = 229;
  ASSERT_EQ(parse(counted, colors), PaletteFileStatus::Ok);
  expectBuiltInColors(colors);
  EXPECT_EQ(colors[3 * 229], 255);
}

TEST(PaletteFile, EveryMalformedFileIsRefusedWithItsReason) {
  Bytes notSixBit = committedResource("palette.pal");
  notSixBit[3 * 228 + 1] = 64;  // entry 228's green above 63
  Bytes actFew = committedResource("palette.act");
  actFew[769] = 228;  // the trailer counts entries 0..227 only
  Bytes actMany = committedResource("palette.act");
  actMany[768] = 0x01;  // 0x01E5 = 485 colours
  const std::string gimp = "GIMP Palette\n" + colorLines(100);
  const struct {
    const char* what;
    Bytes bytes;
    PaletteFileStatus status;
  } cases[] = {
      {"empty", {}, PaletteFileStatus::UnknownFormat},
      {"767 bytes", Bytes(767, 1), PaletteFileStatus::UnknownFormat},
      {"no known header", text("Palette\n" + colorLines(229)),
       PaletteFileStatus::UnknownFormat},
      {"beyond the size limit", Bytes(kMaxPaletteFileSize + 1, '0'),
       PaletteFileStatus::TooLarge},
      {"built-in layout, 64 in 1..228", notSixBit,
       PaletteFileStatus::NotSixBit},
      {".act counting 228", actFew, PaletteFileStatus::TooFewEntries},
      {".act counting 485", actMany, PaletteFileStatus::TooManyEntries},
      {"GIMP, 0..227", text("GIMP Palette\n" + colorLines(228)),
       PaletteFileStatus::TooFewEntries},
      {"GIMP, 257", text("GIMP Palette\n" + colorLines(257)),
       PaletteFileStatus::TooManyEntries},
      {"GIMP, two numbers", text(gimp + "12 34\n" + colorLines(200)),
       PaletteFileStatus::MalformedText},
      {"GIMP, a sign", text(gimp + "1 -2 3\n" + colorLines(200)),
       PaletteFileStatus::MalformedText},
      {"GIMP, name run in", text(gimp + "1 2 3red\n" + colorLines(200)),
       PaletteFileStatus::MalformedText},
      {"GIMP, 256", text(gimp + "12 34 256\n" + colorLines(200)),
       PaletteFileStatus::ComponentTooLarge},
      {"GIMP, 20 digits", text(gimp + "1 2 99999999999999999999\n"),
       PaletteFileStatus::ComponentTooLarge},
      {"JASC, version 0200", text("JASC-PAL\n0200\n229\n" + colorLines(229)),
       PaletteFileStatus::MalformedText},
      {"JASC, no count", text("JASC-PAL\n0100\n"),
       PaletteFileStatus::MalformedText},
      {"JASC, count not a number", text("JASC-PAL\n0100\nmany\n"),
       PaletteFileStatus::MalformedText},
      {"JASC, count 228", text(jasc(228, 228)),
       PaletteFileStatus::TooFewEntries},
      {"JASC, count 300", text(jasc(300, 300)),
       PaletteFileStatus::TooManyEntries},
      {"JASC, a colour short", text(jasc(240, 239)),
       PaletteFileStatus::CountMismatch},
      {"JASC, a colour more", text(jasc(240, 241)),
       PaletteFileStatus::CountMismatch},
      {"JASC, a name",
       text("JASC-PAL\n0100\n229\n" + colorLines(228) + "1 2 3 x\n"),
       PaletteFileStatus::MalformedText},
  };
  for (const auto& c : cases) {
    PaletteColors colors;
    colors.fill(0xAB);
    EXPECT_EQ(parse(c.bytes, colors), c.status) << c.what;
    EXPECT_EQ(colors[0], 0xAB) << c.what;
    EXPECT_EQ(colors[767], 0xAB) << c.what;
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
}

}  // namespace
