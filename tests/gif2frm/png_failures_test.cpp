// One hand-made bad input for each way a run with PNG inputs, -t= or a
// folder of frames can fail, through the real program: its own message,
// status 1, and the directory as it was, an older output included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/failed_run.h"
#include "support/png_art.h"

namespace {

// A 3 x 2 RGBA image: black, a dark grey and a transparent pixel of a
// colour no palette entry matches, over two rows; every opaque colour has
// an entry within the default delta.
Bytes rgbaArt(std::uint32_t width = 3, std::uint32_t height = 2) {
  const std::uint8_t pixels[3][4] = {
      {0, 0, 0, 255}, {40, 40, 40, 255}, {0, 255, 235, 0}};
  return PngArt()
      .chunk("IHDR", ihdrData(width, height, 8, 6))
      .imageData(filterNoneRows(4 * width, height,
                                [&](std::uint32_t x, std::uint32_t y) {
                                  return pixels[(x / 4 + y) % 3][x % 4];
                                }))
      .end()
      .bytes();
}

// A 3 x 2 indexed image of two palette colours.
Bytes indexedArt() {
  return PngArt()
      .chunk("IHDR", ihdrData(3, 2, 8, 3))
      .chunk("PLTE", {0, 0, 0, 40, 40, 40})
      .imageData(filterNoneRows(
          3, 2, [](std::uint32_t x, std::uint32_t y) { return (x + y) % 2; }))
      .end()
      .bytes();
}

// The bytes of the first IDAT chunk's CRC, and of its data, in a file of
// PngArt (signature, IHDR, then IDAT).
constexpr std::size_t kIdatAt = 8 + 12 + 13;

Bytes withBadCrc(Bytes png) {
  const std::size_t length =
      std::size_t{png[kIdatAt + 2]} << 8 | png[kIdatAt + 3];
  png[kIdatAt + 8 + length + 3] ^= 0x01;
  return png;
}

Bytes cutInImageData(Bytes png) {
  png.resize(kIdatAt + 8 + 5);
  return png;
}

const std::string kCorrupted = "Can't read file or file corrupted\n";

TEST(PngFailures, DamagedPngsAreCorrupted) {
  // Both damages are what they claim: the art itself converts.
  const Bytes art = rgbaArt();
  ASSERT_NE(withBadCrc(art), art);
  expectFailureLeavesDirectoryAsItWas({{"art.png", withBadCrc(art)}},
                                      {"art.png"}, kCorrupted, "art.frm");
  expectFailureLeavesDirectoryAsItWas({{"art.png", cutInImageData(art)}},
                                      {"-m=nearest", "art.png"}, kCorrupted,
                                      "art.frm");
  // An interlaced APNG, which the reader does not decode.
  const Bytes interlacedApng = PngArt()
                                   .chunk("IHDR", ihdrData(1, 1, 8, 0, 1))
                                   .chunk("acTL", {0, 0, 0, 1, 0, 0, 0, 0})
                                   .chunk("fcTL", fctlData(0, 1, 1, 0, 0, 1, 1))
                                   .imageData({0, 7})
                                   .end()
                                   .bytes();
  expectFailureLeavesDirectoryAsItWas({{"art.png", interlacedApng}},
                                      {"art.png"}, kCorrupted, "art.frm");
}

TEST(PngFailures, CanvasBeyondTheFormat) {
  Bytes wide = rgbaArt(1, 1);
  // IHDR says 70,000 pixels wide: refused before anything is allocated.
  const Bytes header = pngChunk("IHDR", ihdrData(70000, 1, 8, 6));
  std::copy(header.begin(), header.end(), wide.begin() + 8);
  expectFailureLeavesDirectoryAsItWas({{"wide.png", wide}}, {"wide.png"},
                                      "Image too large for FRM\n", "wide.frm");
}

TEST(PngFailures, TrueColourPixelsAndTheirOptions) {
  expectFailureLeavesDirectoryAsItWas(
      {{"art.png", rgbaArt()}}, {"-n", "art.png"},
      "Option -n keeps color indices, but the image holds true-color "
      "pixels\n",
      "art.frm");
  // Alpha 0 or below the threshold, its colour never matched; with -t=0
  // every pixel is opaque, and the colour has no entry within the delta.
  expectFailureLeavesDirectoryAsItWas(
      {{"art.png", rgbaArt()}}, {"-t=0", "art.png"},
      "Can't translate color table\n", "art.frm");
  for (const char* bad : {"-t=256", "-t=x", "-t=-1", "-t="}) {
    SCOPED_TRACE(bad);
    expectFailureLeavesDirectoryAsItWas(
        {{"art.png", rgbaArt()}}, {bad, "art.png"},
        std::string("Bad alpha threshold in ") + bad + " (use 0 to 255)\n",
        "art.frm");
  }
}

TEST(PngFailures, DirectionFiles) {
  const std::vector<std::string> args = {"-1=1.png", "-2=2.png", "-3=3.png",
                                         "-4=4.png", "-5=5.png", "0.png"};
  DirectoryFiles files;
  for (const char* name :
       {"0.png", "1.png", "2.png", "3.png", "4.png", "5.png"}) {
    files.push_back({name, indexedArt()});
  }
  DirectoryFiles damaged = files;
  damaged[3].second = withBadCrc(indexedArt());
  expectFailureLeavesDirectoryAsItWas(
      damaged, args, "Can't read direction file 3.png\n", "0.frm");
  DirectoryFiles cut = files;
  cut[5].second = cutInImageData(indexedArt());
  expectFailureLeavesDirectoryAsItWas(
      cut, args, "Can't read direction file 5.png\n", "0.frm");
  DirectoryFiles trueColour = files;
  trueColour[2].second = rgbaArt();
  std::vector<std::string> untranslated = args;
  untranslated.insert(untranslated.begin(), "-n");
  expectFailureLeavesDirectoryAsItWas(
      trueColour, untranslated,
      "Option -n keeps color indices, but direction file 2.png holds "
      "true-color pixels\n",
      "0.frm");
}

TEST(PngFailures, FoldersOfFrames) {
  // Files that are neither GIF nor PNG are left out: none is left.
  expectFailureLeavesDirectoryAsItWas(
      {{"walk/notes.txt", Bytes{'h', 'i'}}}, {"walk"},
      "Folder walk holds no GIF or PNG file\n", "walk.frm");
  // In natural order walk10 comes after walk2, and its canvas is another.
  expectFailureLeavesDirectoryAsItWas(
      {{"walk/walk1.png", rgbaArt()},
       {"walk/walk2.png", indexedArt()},
       {"walk/walk10.png", rgbaArt(4, 2)}},
      {"walk"},
      "File walk/walk10.png is 4 x 2, but the first file of its folder is "
      "3 x 2\n",
      "walk.frm");
  expectFailureLeavesDirectoryAsItWas(
      {{"walk/walk1.png", rgbaArt()},
       {"walk/walk2.png", withBadCrc(rgbaArt())}},
      {"walk/"}, "Can't read file or file corrupted: walk/walk2.png\n",
      "walk.frm");
}

}  // namespace
