// Runs the real programs, gif2frm and frm2gif, as a user would, in a
// directory of the test's choosing.
#ifndef GIF2FRM_TESTS_SUPPORT_RUN_PROGRAM_H_
#define GIF2FRM_TESTS_SUPPORT_RUN_PROGRAM_H_

#include <cstdint>
#include <string>
#include <vector>

struct ProgramResult {
  int exitStatus = -1;  // -1 when the program did not exit normally
  std::string output;   // everything it printed on standard output
  std::string errors;   // everything it printed on standard error
};

// Runs the program at path with args (argv[1] onwards) in workDir.
// fileSizeLimit, when not 0, caps the size of any file the program writes
// (RLIMIT_FSIZE), with SIGXFSZ ignored so that writes past it fail instead
// of killing the process.
ProgramResult runProgram(const char* path, const std::vector<std::string>& args,
                         const std::string& workDir,
                         std::uint64_t fileSizeLimit = 0);

// runProgram with gif2frm.
ProgramResult runGif2frm(const std::vector<std::string>& args,
                         const std::string& workDir,
                         std::uint64_t fileSizeLimit = 0);

// runProgram with frm2gif.
ProgramResult runFrm2gif(const std::vector<std::string>& args,
                         const std::string& workDir);

// The program's output with the second line (the authorship line of the
// banner) removed.
std::string withoutAuthorship(const std::string& output);

// The banner's first line and the empty line around the authorship line.
extern const char kBannerFirstLine[];

#endif  // GIF2FRM_TESTS_SUPPORT_RUN_PROGRAM_H_
