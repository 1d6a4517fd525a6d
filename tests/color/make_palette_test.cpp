// The generator reproduces the committed palette files byte for byte, so the
// files in resources/ are what its rules and colours say.
#include <cstdlib>
#include <string>

#include "color/committed_palette.h"
#include "gtest/gtest.h"
#include "support/temp_dir.h"

namespace {

TEST(MakePaletteTest, ReproducesCommittedFiles) {
#ifndef GIF2FRM_MAKE_PALETTE
  GTEST_SKIP() << "the build did not tell where make_palette is";
#else
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  std::string command =
      std::string("\"") + GIF2FRM_MAKE_PALETTE + "\" \"" + dir.path() + "\"";
#ifdef _WIN32
  // cmd.exe takes away the first and the last quote of the whole line.
  command = "\"" + command + "\"";
#endif
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const char* name : {"palette.pal", "palette.gpl", "palette.act"}) {
    const auto made = dir.read(name);
    EXPECT_FALSE(made.empty()) << name;
    EXPECT_TRUE(made == committedResource(name))
        << name << " differs from resources/" << name
        << "; rerun make_palette and commit its output";
  }
#endif
}

}  // namespace
