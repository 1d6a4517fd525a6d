#include "bench/other_encoders.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "bench/child_process.h"

namespace bench {

namespace {

namespace fs = std::filesystem;

constexpr char kVersionFile[] = "VERSION";

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// What the folder's VERSION file says when it is complete: the corpus it
// was made from, and by whom.
std::string versionText(const Encoder& encoder) {
  return std::string(kCorpusVersion) + ", " + encoder.folder;
}

}  // namespace

const std::vector<Encoder>& otherEncoders() {
  // Plain re-encodings: each tool reads the GIF and writes it again with its
  // own LZW encoder, keeping frames, tables and transparency.
  static const std::vector<Encoder> encoders = {
      {"ImageMagick", "imagemagick", "convert", {}, {}},
      {"gifsicle", "gifsicle", "gifsicle", {"--no-warnings"}, {"-o"}},
  };
  return encoders;
}

std::string reencodedPath(const std::string& corpus, const Encoder& encoder,
                          const CorpusEntry& entry) {
  return (fs::path(corpus) / encoder.folder / entry.fileName).string();
}

bool ensureReencoded(const std::string& corpus, const Encoder& encoder,
                     std::string& error, bool force) {
  const fs::path folder = fs::path(corpus) / encoder.folder;
  bool current =
      !force && readText(folder / kVersionFile) == versionText(encoder);
  for (const CorpusEntry& entry : corpusEntries()) {
    current = current && fs::exists(folder / entry.fileName);
  }
  if (current) return true;

  const std::string program = findProgram(encoder.program);
  if (program.empty()) {
    error = std::string(encoder.program) + " is not installed";
    return false;
  }
  std::error_code code;
  fs::create_directories(folder, code);
  fs::remove(folder / kVersionFile, code);
  for (const CorpusEntry& entry : corpusEntries()) {
    std::vector<std::string> args = encoder.before;
    args.push_back((fs::path(corpus) / entry.fileName).string());
    args.insert(args.end(), encoder.between.begin(), encoder.between.end());
    args.push_back((folder / entry.fileName).string());
    if (runMeasured(program, args, ".").exitStatus != 0) {
      error = program + " failed on " + entry.fileName;
      return false;
    }
  }
  // Written last: its presence says every file above is complete.
  std::ofstream version(folder / kVersionFile, std::ios::binary);
  version << versionText(encoder);
  if (!version.flush()) {
    error = "cannot write " + (folder / kVersionFile).string();
    return false;
  }
  return true;
}

}  // namespace bench
