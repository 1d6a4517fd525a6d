// Output names under a double-byte ANSI code page, as the program runs on a
// Japanese Windows system (code page 932, Shift JIS). Many characters there
// have a second byte equal to '\' (0x5C): the name 表.gif is the bytes
// 0x95 0x5C '.' 'g' 'i' 'f', and a program that looked at single bytes would
// cut it at the 0x5C and write ".frm". Names are handled with the ANSI (A)
// calls throughout, as the program itself handles them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/output_name.h"
#include "platform/code_page.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

const std::string kConverted = "File converted succesfuly!!!\n";

// Kanji whose second byte is '\'.
const std::vector<std::string> kTrailBackslash = {"\x95\x5C", "\x83\x5C",
                                                  "\x94\x5C"};

class DoubleByteCodePage : public ::testing::Test {
 protected:
  void SetUp() override {
    // The run that is meant to cover this case says so; there, a missing
    // code page is a failure rather than a quiet skip.
    if (const char* expected = std::getenv("GIF2FRM_EXPECT_CODE_PAGE")) {
      ASSERT_EQ(::GetACP(), static_cast<UINT>(std::atoi(expected)))
          << "the process did not get the code page it was started for";
    }
    if (::GetACP() != 932) {
      GTEST_SKIP()
          << "needs ANSI code page 932 (under Wine: LC_ALL=ja_JP.UTF-8)";
    }
  }
};

bool writeFileA(const std::string& path,
                const std::vector<std::uint8_t>& bytes) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                        &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

// The file's bytes, or nothing when it does not exist.
std::vector<std::uint8_t> readFileA(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  HANDLE file =
      ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[4096];
  DWORD got = 0;
  while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  ::CloseHandle(file);
  return bytes;
}

bool existsA(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST_F(DoubleByteCodePage, LeadBytesAreThoseOfTheCodePage) {
  for (int lead : {0x81, 0x95, 0x9F, 0xE0, 0xFC}) {
    EXPECT_TRUE(platform::isLeadByte(static_cast<unsigned char>(lead))) << lead;
  }
  // ASCII, and the half-width katakana, which are one byte each.
  for (int single :
       {int{'a'}, int{'\\'}, int{'/'}, int{'.'}, 0x80, 0xA1, 0xDF}) {
    EXPECT_FALSE(platform::isLeadByte(static_cast<unsigned char>(single)))
        << single;
  }
  for (const std::string& kanji : kTrailBackslash) {
    EXPECT_EQ(outputFileName("C:\\art\\" + kanji + ".gif"), kanji + ".frm");
    EXPECT_EQ(outputFileName(kanji + "\\walk.gif"), "walk.frm");
  }
}

TEST_F(DoubleByteCodePage, ProgramWritesTheWholeNameIntoTheCurrentDirectory) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::vector<std::uint8_t> gif =
      readFileBytes(std::string(GIF2FRM_SOURCE_DIR) + "/examples/walk.gif");
  ASSERT_FALSE(gif.empty());
  const std::string art = dir.path() + "\\art";
  ASSERT_TRUE(::CreateDirectoryA(art.c_str(), nullptr));

  // The same picture under a plain name gives the bytes to expect.
  ASSERT_TRUE(writeFileA(art + "\\plain.gif", gif));
  ProgramResult plain = runGif2frm({"art\\plain.gif"}, dir.path());
  ASSERT_EQ(plain.exitStatus, 0) << plain.output;
  const std::vector<std::uint8_t> expected =
      readFileA(dir.path() + "\\plain.frm");
  ASSERT_FALSE(expected.empty());

  for (const std::string& kanji : kTrailBackslash) {
    ASSERT_TRUE(writeFileA(art + "\\" + kanji + ".gif", gif));
    ProgramResult run = runGif2frm({"art\\" + kanji + ".gif"}, dir.path());
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(withoutAuthorship(run.output),
              std::string(kBannerFirstLine) + "\n" + kConverted);
    EXPECT_EQ(readFileA(dir.path() + "\\" + kanji + ".frm"), expected);
    // Not cut at the trail byte, and not written next to the input.
    EXPECT_FALSE(existsA(dir.path() + "\\.frm"));
    EXPECT_FALSE(existsA(art + "\\" + kanji + ".frm"));
  }
}

}  // namespace
