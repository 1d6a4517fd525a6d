// The program as a user meets it: the exact text on standard output, the
// exit status, and what it leaves on disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

const std::string kBanner = std::string(kBannerFirstLine) + "\n";

std::string expectOutput(const std::string& message) {
  return kBanner + message;
}

// A GIF with a global colour table and a trailer but no image.
const std::vector<std::uint8_t> kNoImageGif = {
    'G',  'I',  'F',  '8',  '9',  'a',  0x01,
    0x00, 0x01, 0x00, 0x80, 0x00, 0x00,  // 1x1 screen, 2-colour table
    0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,  // black, white
    0x3B};                               // trailer

TEST(CommandLine, NoArgumentPrintsBannerAndUsage) {
  TempDir dir;
  ProgramResult run = runGif2frm({}, dir.path());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(
      withoutAuthorship(run.output),
      kBanner + "Usage: " + GIF2FRM_EXE + " [options] file.gif\n" +
          "\n"
          "Options:\n"
          "  -d=Value\tSet color delta to Value (default 4)\n"
          "  -n\t\tDon't translate color tables\n"
          "  -x=Value\tSet shift in the X direction to Value (default 0)\n"
          "  -y=Value\tSet shift in the Y direction to Value (default 0)\n");
  // The authorship line is one line of its own.
  EXPECT_EQ(run.output.rfind(kBannerFirstLine, 0), 0u);
  EXPECT_EQ(run.errors, "");
  EXPECT_TRUE(dir.list().empty());
}

TEST(CommandLine, UnknownOptionsAreReportedAndNothingIsOpened) {
  TempDir dir;
  dir.write("walk.gif", kNoImageGif);
  struct Case {
    std::vector<std::string> args;
    std::string shown;
  };
  for (const Case& c :
       std::vector<Case>{{{"walk.gif", "-n"}, "walk.gif"},
                         {{"", "walk.gif"}, ""},
                         {{"-d", "walk.gif"}, "-d"},
                         {{"-x", "walk.gif"}, "-x"},
                         {{"-", "walk.gif"}, "-"},
                         {{"-n", "-q=1", "-zz", "walk.gif"}, "-q=1"}}) {
    SCOPED_TRACE(c.shown);
    ProgramResult run = runGif2frm(c.args, dir.path());
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(withoutAuthorship(run.output),
              expectOutput("Unknown option " + c.shown + "\n"));
  }
  EXPECT_EQ(dir.list(), std::vector<std::string>{"walk.gif"});
}

TEST(CommandLine, InputsThatCannotBeOpened) {
  TempDir dir;
  dir.write("-n", kNoImageGif);
  std::filesystem::create_directory(dir.file("folder.gif"));
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"missing.gif"},
                                             {"-n", "missing.gif"},
                                             {"-nope", "missing.gif"},
                                             {""}}) {
    ProgramResult run = runGif2frm(args, dir.path());
    EXPECT_EQ(run.exitStatus, 1) << args.back();
    EXPECT_EQ(withoutAuthorship(run.output),
              expectOutput("Can't open input file\n"))
        << args.back();
  }
  // A folder is a folder of frames, whatever its name.
  ProgramResult folder = runGif2frm({"folder.gif"}, dir.path());
  EXPECT_EQ(withoutAuthorship(folder.output),
            expectOutput("Folder folder.gif holds no GIF or PNG file\n"));
  EXPECT_EQ(folder.exitStatus, 1);
  // A lone -n is the input file's name: here such a file exists.
  ProgramResult run = runGif2frm({"-n"}, dir.path());
  EXPECT_EQ(withoutAuthorship(run.output), expectOutput("Empty GIF\n"));
  EXPECT_EQ(run.exitStatus, 1);
}

TEST(CommandLine, UnreadableAndEmptyGifs) {
  TempDir dir;
  dir.write("empty.gif", kNoImageGif);
  dir.write("short.gif", std::string("GIF8"));
  dir.write("png.gif", std::string("\x89PNG\r\n\x1a\n", 8));
  dir.write("zero.gif", std::string());
  EXPECT_EQ(withoutAuthorship(runGif2frm({"empty.gif"}, dir.path()).output),
            expectOutput("Empty GIF\n"));
  for (const char* name : {"short.gif", "png.gif", "zero.gif"}) {
    ProgramResult run = runGif2frm({name}, dir.path());
    EXPECT_EQ(run.exitStatus, 1) << name;
    EXPECT_EQ(withoutAuthorship(run.output),
              expectOutput("Can't read file or file corrupted\n"))
        << name;
  }
  // Nothing but the inputs is left in the directory.
  EXPECT_EQ(dir.list(), (std::vector<std::string>{"empty.gif", "png.gif",
                                                  "short.gif", "zero.gif"}));
}

}  // namespace
