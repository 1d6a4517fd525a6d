#include "support/failed_run.h"

#include <gtest/gtest.h>

#include "support/run_program.h"
#include "support/temp_dir.h"

void expectFailureLeavesDirectoryAsItWas(const DirectoryFiles& files,
                                         const std::vector<std::string>& args,
                                         const std::string& message,
                                         const std::string& outputName) {
  const std::string expected = std::string(kBannerFirstLine) + "\n" + message;
  const std::string oldOutput = "an older output that must survive";
  TempDir dir;
  for (const auto& file : files) dir.write(file.first, file.second);
  const std::vector<std::string> before = dir.list();
  ProgramResult fresh = runGif2frm(args, dir.path());
  EXPECT_EQ(fresh.exitStatus, 1);
  EXPECT_EQ(withoutAuthorship(fresh.output), expected);
  EXPECT_EQ(fresh.errors, "");
  EXPECT_EQ(dir.list(), before);

  dir.write(outputName, oldOutput);
  const std::vector<std::string> withOld = dir.list();
  ProgramResult again = runGif2frm(args, dir.path());
  EXPECT_EQ(again.exitStatus, 1);
  EXPECT_EQ(withoutAuthorship(again.output), expected);
  EXPECT_EQ(dir.read(outputName),
            std::vector<std::uint8_t>(oldOutput.begin(), oldOutput.end()));
  EXPECT_EQ(dir.list(), withOld);
}
