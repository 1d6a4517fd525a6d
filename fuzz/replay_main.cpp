// A fuzz target as a plain program: feeds it every file named on the command
// line, and every file below every folder named there, one after the other.
// Built without libFuzzer, so that the regular test run (and its sanitizer
// build) replays the corpora through the same code the fuzzer runs.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz/fuzz_target.h"

namespace fs = std::filesystem;

namespace {

bool collect(const fs::path& path, std::vector<fs::path>& files) {
  std::error_code error;
  if (fs::is_directory(path, error)) {
    for (fs::recursive_directory_iterator it(path, error), end;
         !error && it != end; it.increment(error)) {
      if (it->is_regular_file(error)) files.push_back(it->path());
    }
  } else if (fs::is_regular_file(path, error)) {
    files.push_back(path);
  } else {
    return false;
  }
  return !error;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    if (!collect(argv[i], files)) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[i]);
      return 2;
    }
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::ifstream stream(file, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(stream)),
                                    std::istreambuf_iterator<char>());
    if (!stream.eof() && stream.fail()) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0],
                   file.string().c_str());
      return 2;
    }
    // A failing input stops the program inside the call; naming it first
    // says which one it was.
    std::fprintf(stderr, "%s\n", file.string().c_str());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("%zu inputs replayed\n", files.size());
  return 0;
}
