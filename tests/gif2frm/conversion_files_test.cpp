// What a run does to the files around it: every failure leaves the directory
// exactly as it was (no new output, an old one untouched, no temporary file);
// a success puts exactly one file, named after the input, into the current
// directory.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gif/encoder/gifenc.h"
#include "support/failed_run.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

const std::string kGoldenDir = std::string(GIF2FRM_TEST_DATA) + "/golden/";
const std::string kConverted = "File converted succesfuly!!!\n";

std::string expectOutput(const std::string& message) {
  return std::string(kBannerFirstLine) + "\n" + message;
}

constexpr gifenc::Rgb kBlack{0, 0, 0};
constexpr gifenc::Rgb kWhite{255, 255, 255};
constexpr gifenc::Rgb kGreen{0, 255, 0};  // no palette entry within 4, nor 10

gifenc::Image image(std::uint16_t width, std::uint16_t height) {
  gifenc::Image out;
  out.width = width;
  out.height = height;
  out.pixels.assign(std::size_t{width} * height, 1);
  return out;
}

// A screen with a global table, up to the end of its first image's data;
// the caller adds what follows.
gifenc::GifBuilder startOfGif(const gifenc::ColorTable& colors = {kBlack,
                                                                  kWhite}) {
  gifenc::GifBuilder gif;
  gif.header().screen({4, 4, colors}).image(image(4, 4));
  return gif;
}

Bytes goodGif() { return startOfGif().trailer().bytes(); }

// count images of 0 x 0, each with image data of a clear and an end code.
Bytes emptyImages(std::size_t count) {
  const Bytes data =
      gifenc::CodeStream(2).codes(gifenc::withWidths(2, {4, 5})).bytes();
  gifenc::GifBuilder gif;
  gif.header().screen({1, 1, {kBlack, kWhite}});
  for (std::size_t i = 0; i < count; ++i) {
    gif.imageHeader(image(0, 0)).raw(data);
  }
  return gif.trailer().bytes();
}

std::uint32_t bigEndian32(const Bytes& bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
         std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

struct FailureCase {
  const char* what;
  Bytes gif;  // written as walk.gif unless empty
  Names args;
  const char* message;
};

std::vector<FailureCase> failureCases() {
  Bytes fiveInFour = startOfGif()
                         .imageHeader(image(2, 2))
                         .raw(gifenc::encodeImageData({1, 1, 1, 1, 1}, 2))
                         .trailer()
                         .bytes();
  Bytes badCodeSize = startOfGif()
                          .imageHeader(image(2, 2))
                          .raw(gifenc::CodeStream(12).bytes())
                          .trailer()
                          .bytes();
  Bytes header88 = goodGif();
  header88[4] = '8';
  Bytes cutInTable = goodGif();
  cutInTable.resize(16);
  gifenc::Image greenLocal = image(2, 2);
  greenLocal.localColors = {kBlack, kGreen};
  gifenc::GifBuilder sevenImages = startOfGif().image(greenLocal);
  for (int i = 0; i < 5; ++i) sevenImages.image(image(4, 4));
  const Bytes sevenWithGreenSecond = sevenImages.trailer().bytes();
  const char* kUnreadable = "Can't read file or file corrupted\n";
  const char* kUntranslatable = "Can't translate color table\n";
  return {
      {"unknown option", goodGif(), {"-q", "walk.gif"}, "Unknown option -q\n"},
      {"no input file", {}, {"walk.gif"}, "Can't open input file\n"},
      {"cut in the global table", cutInTable, {"walk.gif"}, kUnreadable},
      {"no trailer", startOfGif().bytes(), {"walk.gif"}, kUnreadable},
      {"not a GIF version", header88, {"walk.gif"}, kUnreadable},
      {"unknown block",
       startOfGif().raw({0x00}).bytes(),
       {"walk.gif"},
       kUnreadable},
      {"unknown extension",
       startOfGif().extension(0x02, {1, 2}).trailer().bytes(),
       {"walk.gif"},
       kUnreadable},
      {"more pixels than the image has", fiveInFour, {"walk.gif"}, kUnreadable},
      {"minimum code size 12", badCodeSize, {"walk.gif"}, kUnreadable},
      {"no image",
       gifenc::GifBuilder().header().screen({1, 1, {kBlack}}).trailer().bytes(),
       {"walk.gif"},
       "Empty GIF\n"},
      {"65,536 images",
       emptyImages(65536),
       {"walk.gif"},
       "Image too large for FRM\n"},
      {"-6 with 65,536 images in each direction",
       emptyImages(6 * 65536),
       {"-6", "walk.gif"},
       "Image too large for FRM\n"},
      {"-6 with 7 images",
       emptyImages(7),
       {"-6", "walk.gif"},
       "7 images don't divide into 6 directions\n"},
      // The count is checked before the action frame is.
      {"-6 with 7 images and -a=9",
       emptyImages(7),
       {"-a=9", "-6", "walk.gif"},
       "7 images don't divide into 6 directions\n"},
      {"-a= past the only frame",
       goodGif(),
       {"-a=1", "walk.gif"},
       "Action frame 1 is past the last frame of a direction\n"},
      {"-a= past a direction of -6",
       emptyImages(12),
       {"-6", "-a=2", "walk.gif"},
       "Action frame 2 is past the last frame of a direction\n"},
      // Options that contradict each other end the run before any file is
      // opened: walk.gif itself is missing here.
      {"-6 with -1=",
       {},
       {"-6", "-1=walk.gif", "walk.gif"},
       "Option -6 can't be combined with -1= to -5=\n"},
      {"-5= alone",
       {},
       {"-5=walk.gif", "walk.gif"},
       "Six directions need all of -1= to -5=: -1=FILE is missing\n"},
      {"five shifts",
       goodGif(),
       {"-x=0,2,4,2,0", "walk.gif"},
       "Bad shift in -x=0,2,4,2,0 (use one value, or six comma-separated "
       "values, one per direction)\n"},
      {"a sheet of 3 columns 4 pixels wide",
       goodGif(),
       {"-g=3x1", "walk.gif"},
       "The sheet's 4 x 4 pixels don't divide into 3 x 1 cells\n"},
      {"an animation as a sheet",
       emptyImages(2),
       {"-g=1x1", "walk.gif"},
       "A sprite sheet (-g=) is one image, but walk.gif holds 2\n"},
      {"no rows",
       goodGif(),
       {"-g=2x0", "walk.gif"},
       "Bad sheet in -g=2x0 (use COLSxROWS, for example -g=8x6)\n"},
      {"negative delta", goodGif(), {"-d=-1", "walk.gif"}, kUntranslatable},
      {"green in the global table",
       startOfGif({kBlack, kGreen}).trailer().bytes(),
       {"walk.gif"},
       kUntranslatable},
      {"green in the second frame's local table",
       startOfGif().image(greenLocal).trailer().bytes(),
       {"-d=10", "walk.gif"},
       kUntranslatable},
      // Colours are matched while the images are decoded, but a table
      // without a match is reported only once the whole GIF has been read
      // and checked: every other failure wins over it.
      {"green in the global table, no trailer",
       startOfGif({kBlack, kGreen}).bytes(),
       {"walk.gif"},
       kUnreadable},
      {"green in the second frame's local table, an unknown block after it",
       startOfGif().image(greenLocal).raw({0x00}).bytes(),
       {"-d=10", "walk.gif"},
       kUnreadable},
      {"-6 with green in the second of 7 images",
       sevenWithGreenSecond,
       {"-6", "walk.gif"},
       "7 images don't divide into 6 directions\n"},
  };
}

TEST(ConversionFilesTest, FailuresLeaveTheDirectoryAsItWas) {
  for (const FailureCase& c : failureCases()) {
    SCOPED_TRACE(c.what);
    DirectoryFiles files;
    if (!c.gif.empty()) files.emplace_back("walk.gif", c.gif);
    expectFailureLeavesDirectoryAsItWas(files, c.args, c.message, "walk.frm");
  }
}

// One image short of the limit still fits: 65,535 frames of 12 bytes.
TEST(ConversionFilesTest, MostFramesThatFit) {
  TempDir dir;
  dir.write("walk.gif", emptyImages(65535));
  ProgramResult run = runGif2frm({"walk.gif"}, dir.path());
  EXPECT_EQ(withoutAuthorship(run.output), expectOutput(kConverted));
  const Bytes frm = dir.read("walk.frm");
  ASSERT_EQ(frm.size(), 62u + 65535u * 12u);
  EXPECT_EQ(frm[8], 0xFF);
  EXPECT_EQ(frm[9], 0xFF);
  EXPECT_EQ(bigEndian32(frm, 58), 65535u * 12u);
}

TEST(ConversionFilesTest, OutputNameThatCannotBeCreated) {
  TempDir dir;
  dir.write("walk.gif", goodGif());
  // The output name is taken by a directory, which must keep its contents.
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("walk.frm")));
  dir.write("walk.frm/kept", std::string("inside"));
  ProgramResult run = runGif2frm({"walk.gif"}, dir.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(withoutAuthorship(run.output),
            expectOutput("Can't create output file\n"));
  EXPECT_EQ(dir.list(), (Names{"walk.frm", "walk.gif"}));
  EXPECT_EQ(dir.read("walk.frm/kept"), Bytes({'i', 'n', 's', 'i', 'd', 'e'}));
}

// A write that fails partway needs a limit on the size of the files the
// program may write; Windows has no such limit for a process.
#ifndef _WIN32
TEST(ConversionFilesTest, FailedWriteKeepsTheOldFile) {
  TempDir dir;
  gifenc::Image big = image(40, 25);  // an FRM of 62 + 12 + 1000 bytes
  dir.write("walk.gif", gifenc::GifBuilder()
                            .header()
                            .screen({40, 25, {kBlack, kWhite}})
                            .image(big)
                            .trailer()
                            .bytes());
  dir.write("walk.frm", std::string("old"));
  ProgramResult run = runGif2frm({"walk.gif"}, dir.path(), 512);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(withoutAuthorship(run.output),
            expectOutput("Can't write output file\n"));
  EXPECT_EQ(dir.read("walk.frm"), Bytes({'o', 'l', 'd'}));
  EXPECT_EQ(dir.list(), (Names{"walk.frm", "walk.gif"}));
}
#endif

TEST(ConversionFilesTest, SuccessReplacesAnExistingFileCompletely) {
  TempDir dir;
  dir.write("single.gif", readFileBytes(kGoldenDir + "single.gif"));
  // Longer than the new file: nothing of it may remain at the end.
  dir.write("single.frm", Bytes(5000, 0xAB));
  ProgramResult run = runGif2frm({"single.gif"}, dir.path());
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(withoutAuthorship(run.output), expectOutput(kConverted));
  EXPECT_EQ(dir.read("single.frm"), readFileBytes(kGoldenDir + "single.frm"));
  EXPECT_EQ(dir.list(), (Names{"single.frm", "single.gif"}));
#ifndef _WIN32
  // Made through a private temporary file, the result must still get the
  // permissions of any new file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat info;
  ASSERT_EQ(::stat(dir.file("single.frm").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
#endif
}

// Translation switched off never looks at the delta.
TEST(ConversionFilesTest, NegativeDeltaWithoutTranslation) {
  for (const Names& options : {Names{"-d=-1", "-n"}, Names{"-n", "-d=-1"}}) {
    TempDir dir;
    dir.write("a.gif", readFileBytes(kGoldenDir + "animated.gif"));
    Names args = options;
    args.push_back("a.gif");
    ProgramResult run = runGif2frm(args, dir.path());
    EXPECT_EQ(withoutAuthorship(run.output), expectOutput(kConverted));
    EXPECT_EQ(dir.read("a.frm"),
              readFileBytes(kGoldenDir + "animated_untranslated.frm"));
  }
}

TEST(ConversionFilesTest, OutputGoesToTheCurrentDirectory) {
  TempDir work;
  TempDir elsewhere;
  ASSERT_TRUE(std::filesystem::create_directory(work.file("in")));
  ASSERT_TRUE(std::filesystem::create_directory(work.file("in/walk.dir")));
  work.write("in/walk.dir/walk.old.gif", goodGif());
  work.write("in/walk.dir/plain", goodGif());
  elsewhere.write("far.gif", goodGif());

  for (const std::string& input :
       {std::string("in/walk.dir/walk.old.gif"),
        std::string("in/walk.dir/plain"), elsewhere.file("far.gif")}) {
    ProgramResult run = runGif2frm({input}, work.path());
    EXPECT_EQ(withoutAuthorship(run.output), expectOutput(kConverted)) << input;
  }
  EXPECT_EQ(work.list(), (Names{"far.frm", "in", "plain.frm", "walk.old.frm"}));
  EXPECT_EQ(elsewhere.list(), Names{"far.gif"});
  EXPECT_TRUE(work.exists("in/walk.dir/walk.old.gif"));
  EXPECT_FALSE(work.exists("in/walk.dir/walk.old.frm"));
  EXPECT_FALSE(work.exists("in/walk.dir/plain.frm"));
}

TEST(ConversionFilesTest, OutputPathOption) {
  TempDir dir;
  dir.write("walk.gif", goodGif());
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("out")));
  const Bytes expected = [&] {
    TempDir plain;
    plain.write("walk.gif", goodGif());
    runGif2frm({"walk.gif"}, plain.path());
    return plain.read("walk.frm");
  }();

  // An existing directory receives the input's name; a file name is used
  // as it is, in whatever directory it names.
  for (const std::string& option :
       {std::string("-o=out"), std::string("-o=out/")}) {
    ProgramResult run = runGif2frm({option, "walk.gif"}, dir.path());
    EXPECT_EQ(withoutAuthorship(run.output), expectOutput(kConverted))
        << option;
  }
  ProgramResult named = runGif2frm({"-o=out/run.frm", "walk.gif"}, dir.path());
  EXPECT_EQ(withoutAuthorship(named.output), expectOutput(kConverted));
  EXPECT_EQ(dir.read("out/walk.frm"), expected);
  EXPECT_EQ(dir.read("out/run.frm"), expected);
  EXPECT_EQ(dir.list(), (Names{"out", "walk.gif"}));

  // A directory that does not exist, and a failed conversion aimed at an
  // existing file: nothing is created, the file keeps its bytes.
  dir.write("out/old.frm", std::string("old"));
  for (const Names& args : {Names{"-o=missing/", "walk.gif"},
                            Names{"-o=missing/run.frm", "walk.gif"},
                            Names{"-o=out/old.frm", "-d=-1", "walk.gif"}}) {
    ProgramResult run = runGif2frm(args, dir.path());
    EXPECT_EQ(run.exitStatus, 1) << args[0];
  }
  EXPECT_EQ(dir.list(), (Names{"out", "walk.gif"}));
  EXPECT_EQ(dir.read("out/old.frm"), Bytes({'o', 'l', 'd'}));
  Names inOut;
  for (const auto& entry :
       std::filesystem::directory_iterator(dir.file("out"))) {
    inOut.push_back(entry.path().filename().string());
  }
  std::sort(inOut.begin(), inOut.end());
  EXPECT_EQ(inOut, (Names{"old.frm", "run.frm", "walk.frm"}));
}

TEST(ConversionFilesTest, LongestNames) {
  TempDir dir;
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("in")));
  // 251 + ".gif" is a legal file name, and so is 251 + ".frm".
  const std::string base251(251, 'w');
  dir.write("in/" + base251 + ".gif", goodGif());
  ProgramResult run = runGif2frm({"in/" + base251 + ".gif"}, dir.path());
  EXPECT_EQ(withoutAuthorship(run.output), expectOutput(kConverted));
  EXPECT_TRUE(dir.exists(base251 + ".frm"));

  // A 255-byte name without extension gives a 259-byte output name, more
  // than a file name can hold here: the run fails and leaves nothing.
  const std::string name255(255, 'v');
  dir.write("in/" + name255, goodGif());
  const Names before = dir.list();
  run = runGif2frm({"in/" + name255}, dir.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(withoutAuthorship(run.output),
            expectOutput("Can't create output file\n"));
  EXPECT_EQ(dir.list(), before);
}

}  // namespace
