#include "support/failed_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

// Everything below the directory, folders and their files, by relative
// path, sorted.
std::vector<std::string> listAll(const TempDir& dir) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(dir.path(), ignored)) {
    names.push_back(
        std::filesystem::relative(entry.path(), dir.path()).generic_string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

void expectFailureLeavesDirectoryAsItWas(const DirectoryFiles& files,
                                         const std::vector<std::string>& args,
                                         const std::string& message,
                                         const std::string& outputName) {
  const std::string expected = std::string(kBannerFirstLine) + "\n" + message;
  const std::string oldOutput = "an older output that must survive";
  TempDir dir;
  for (const auto& file : files) {
    const std::filesystem::path folder =
        std::filesystem::path(dir.file(file.first)).parent_path();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    dir.write(file.first, file.second);
  }
  const std::vector<std::string> before = listAll(dir);
  ProgramResult fresh = runGif2frm(args, dir.path());
  EXPECT_EQ(fresh.exitStatus, 1);
  EXPECT_EQ(withoutAuthorship(fresh.output), expected);
  EXPECT_EQ(fresh.errors, "");
  EXPECT_EQ(listAll(dir), before);

  dir.write(outputName, oldOutput);
  const std::vector<std::string> withOld = listAll(dir);
  ProgramResult again = runGif2frm(args, dir.path());
  EXPECT_EQ(again.exitStatus, 1);
  EXPECT_EQ(withoutAuthorship(again.output), expected);
  EXPECT_EQ(dir.read(outputName),
            std::vector<std::uint8_t>(oldOutput.begin(), oldOutput.end()));
  EXPECT_EQ(listAll(dir), withOld);
}
