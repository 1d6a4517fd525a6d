// The check every failing run must pass: its message, status 1, and the
// directory as it was, also when an older output is there.
#ifndef GIF2FRM_TESTS_SUPPORT_FAILED_RUN_H_
#define GIF2FRM_TESTS_SUPPORT_FAILED_RUN_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Files a run finds in its directory: name and bytes; a name with a slash
// is a file in a folder, which is made for it.
using DirectoryFiles =
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>>;

// Runs gif2frm with args in a fresh directory holding files, then again with
// an older outputName there as well. Each run must print the banner and
// message alone, end with status 1 and leave every file as it found it: no
// output, the older one untouched, no temporary file, in the directory or
// in any folder in it.
void expectFailureLeavesDirectoryAsItWas(const DirectoryFiles& files,
                                         const std::vector<std::string>& args,
                                         const std::string& message,
                                         const std::string& outputName);

#endif  // GIF2FRM_TESTS_SUPPORT_FAILED_RUN_H_
