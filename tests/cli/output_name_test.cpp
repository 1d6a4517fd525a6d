#include "cli/output_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool noLeadBytes(unsigned char) { return false; }
// A stand-in double-byte code page: bytes 0x81..0x9F and 0xE0..0xFC start a
// two-byte character, as in Shift JIS.
bool shiftJisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::string name(const std::string& input) {
  return outputFileName(input, noLeadBytes);
}

TEST(OutputFileName, KeepsTheBaseNameAndDropsDirectoryAndDrive) {
  EXPECT_EQ(name("walk.gif"), "walk.frm");
  EXPECT_EQ(name("C:\\art\\walk.gif"), "walk.frm");
  EXPECT_EQ(name("C:walk.gif"), "walk.frm");
  EXPECT_EQ(name("/home/me/art/walk.gif"), "walk.frm");
  EXPECT_EQ(name("art/sub\\walk.gif"), "walk.frm");
  EXPECT_EQ(name("walk"), "walk.frm");
}

TEST(OutputFileName, OnlyTheLastDotOfTheFilePartCounts) {
  EXPECT_EQ(name("walk.old.gif"), "walk.old.frm");
  EXPECT_EQ(name("old.dir\\walk"), "walk.frm");
  EXPECT_EQ(name("old.dir/walk"), "walk.frm");
  EXPECT_EQ(name(".gif"), ".frm");
  EXPECT_EQ(name("dir/.gif"), ".frm");
  EXPECT_EQ(name("walk."), "walk.frm");
  EXPECT_EQ(name("dir/"), ".frm");
  EXPECT_EQ(name(""), ".frm");
}

TEST(OutputFileName, CutsTheBaseNameTo255Bytes) {
  std::string longBase(300, 'a');
  EXPECT_EQ(name("dir/" + longBase + ".gif"), std::string(255, 'a') + ".frm");
  EXPECT_EQ(name(std::string(255, 'b') + ".gif"),
            std::string(255, 'b') + ".frm");
}

TEST(OutputFileName, TrailBytesOfDoubleByteCharactersAreNoSeparators) {
  // 0x95 0x5C is one character whose second byte equals '\'.
  const std::string table = "\x95\x5C";
  EXPECT_EQ(outputFileName("dir\\" + table + ".gif", shiftJisLeadByte),
            table + ".frm");
  // The same bytes read as single-byte characters split at the '\'.
  EXPECT_EQ(outputFileName("dir\\" + table + ".gif", noLeadBytes), ".frm");
  // A trail byte equal to '.' is no extension dot either.
  const std::string dotted = "\x81\x2E";
  EXPECT_EQ(outputFileName("a" + dotted + "b", shiftJisLeadByte),
            "a" + dotted + "b.frm");
}

// A file system of two directories, "out" and "表" (bytes 95 5C in Shift JIS),
// and a drive's current directory, "C:".
bool fakeDirectory(const char* path) {
  const std::string name(path);
  return name == "out" || name == "out/" || name == "\x95\x5C" || name == "C:";
}

OutputTarget target(const std::string& fileName, const std::string* path,
                    bool (*isLeadByte)(unsigned char) = noLeadBytes) {
  return outputTarget(fileName, path, fakeDirectory, isLeadByte);
}

TEST(OutputTarget, ChosenByTheOutputPath) {
  struct Case {
    std::string path;
    std::string target;
    std::string directory;
  };
  for (const Case& c :
       std::vector<Case>{{"out", "out/walk.frm", "out"},
                         {"out/", "out/walk.frm", "out/"},
                         {"run.frm", "run.frm", "."},
                         {"out/run.frm", "out/run.frm", "out/"},
                         {"C:\\art\\run.frm", "C:\\art\\run.frm", "C:\\art\\"},
                         {"C:run.frm", "C:run.frm", "C:"},
                         {"C:", "C:walk.frm", "C:"},
                         // A directory that does not exist is taken for a file
                         // name, whose temporary file then cannot be made.
                         {"missing/", "missing/", "missing/"},
                         {"", "", "."}}) {
    SCOPED_TRACE(c.path);
    const OutputTarget t = target("walk.frm", &c.path);
    EXPECT_EQ(t.path, c.target);
    EXPECT_EQ(t.directory, c.directory);
  }
  const OutputTarget plain = target("walk.frm", nullptr);
  EXPECT_EQ(plain.path, "walk.frm");
  EXPECT_EQ(plain.directory, ".");
}

TEST(OutputTarget, ADoubleByteDirectoryNameEndingIn5CIsNotASeparator) {
  const std::string folder = "\x95\x5C";
  const OutputTarget t = target("walk.frm", &folder, shiftJisLeadByte);
  EXPECT_EQ(t.path, folder + "/walk.frm");
  EXPECT_EQ(t.directory, folder);
}

}  // namespace
