#include "cli/output_name.h"

#include "platform/code_page.h"
#include "platform/directory.h"

namespace {

constexpr std::size_t kMaxBaseName = 255;

// Where a path's file part begins (after its drive and its last separator)
// and where the file part's last dot stands (npos without one), read in
// whole characters.
struct PathParts {
  std::size_t filePart = 0;
  std::size_t lastDot = std::string::npos;
};

PathParts splitPath(const std::string& path,
                    bool (*isLeadByte)(unsigned char)) {
  PathParts parts;
  if (path.size() >= 2 && path[1] == ':') parts.filePart = 2;  // a drive
  for (std::size_t i = parts.filePart; i < path.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(path[i]);
    if (isLeadByte(byte) && i + 1 < path.size()) {
      ++i;  // the trail byte is part of this character
      continue;
    }
    if (byte == '\\' || byte == '/') {
      parts.filePart = i + 1;
      parts.lastDot = std::string::npos;
    } else if (byte == '.') {
      parts.lastDot = i;
    }
  }
  return parts;
}

}  // namespace

std::string baseFileName(const std::string& inputPath,
                         bool (*isLeadByte)(unsigned char)) {
  const PathParts parts = splitPath(inputPath, isLeadByte);
  std::size_t end =
      parts.lastDot == std::string::npos ? inputPath.size() : parts.lastDot;
  std::string base = inputPath.substr(parts.filePart, end - parts.filePart);
  if (base.size() > kMaxBaseName) base.resize(kMaxBaseName);
  return base;
}

std::string baseFileName(const std::string& inputPath) {
  return baseFileName(inputPath, platform::isLeadByte);
}

std::string outputFileName(const std::string& inputPath,
                           bool (*isLeadByte)(unsigned char)) {
  return baseFileName(inputPath, isLeadByte) + ".frm";
}

std::string outputFileName(const std::string& inputPath) {
  return outputFileName(inputPath, platform::isLeadByte);
}

OutputTarget outputTarget(const std::string& fileName,
                          const std::string* outputPath,
                          bool (*isDirectory)(const char*),
                          bool (*isLeadByte)(unsigned char)) {
  if (outputPath == nullptr) return {fileName, "."};
  const std::string& path = *outputPath;
  if (!path.empty() && isDirectory(path.c_str())) {
    // A directory named with a separator at its end needs no second one,
    // nor does a drive ("C:" is the current directory of drive C, and
    // "C:/" its root).
    const bool endsInSeparatorOrDrive =
        splitPath(path, isLeadByte).filePart == path.size();
    return {endsInSeparatorOrDrive ? path + fileName : path + "/" + fileName,
            path};
  }
  const std::size_t filePart = splitPath(path, isLeadByte).filePart;
  std::string directory = path.substr(0, filePart);
  if (directory.empty()) directory = ".";
  return {path, directory};
}

OutputTarget outputTarget(const std::string& fileName,
                          const std::string* outputPath) {
  return outputTarget(fileName, outputPath, platform::isDirectory,
                      platform::isLeadByte);
}
