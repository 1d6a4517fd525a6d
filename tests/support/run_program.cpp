#include "support/run_program.h"

const char kBannerFirstLine[] = "Brastok converter, version 0.1alpha\n";

ProgramResult runGif2frm(const std::vector<std::string>& args,
                         const std::string& workDir,
                         std::uint64_t fileSizeLimit) {
  return runProgram(GIF2FRM_EXE, args, workDir, fileSizeLimit);
}

ProgramResult runFrm2gif(const std::vector<std::string>& args,
                         const std::string& workDir) {
  return runProgram(FRM2GIF_EXE, args, workDir);
}

std::string withoutAuthorship(const std::string& output) {
  std::size_t first = output.find('\n');
  if (first == std::string::npos) return output;
  std::size_t second = output.find('\n', first + 1);
  if (second == std::string::npos) return output;
  return output.substr(0, first + 1) + output.substr(second + 1);
}
