#include "app/output_name.h"

#include "platform/code_page.h"

namespace {
constexpr std::size_t kMaxBaseName = 255;
}  // namespace

std::string outputFileName(const std::string& inputPath,
                           bool (*isLeadByte)(unsigned char)) {
  std::size_t start = 0;
  if (inputPath.size() >= 2 && inputPath[1] == ':') start = 2;  // a drive

  // One pass over whole characters: remember where the file part begins and
  // where its last dot stands.
  std::size_t filePart = start;
  std::size_t lastDot = std::string::npos;
  for (std::size_t i = start; i < inputPath.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(inputPath[i]);
    if (isLeadByte(byte) && i + 1 < inputPath.size()) {
      ++i;  // the trail byte is part of this character
      continue;
    }
    if (byte == '\\' || byte == '/') {
      filePart = i + 1;
      lastDot = std::string::npos;
    } else if (byte == '.') {
      lastDot = i;
    }
  }
  std::size_t end = lastDot == std::string::npos ? inputPath.size() : lastDot;
  std::string base = inputPath.substr(filePart, end - filePart);
  if (base.size() > kMaxBaseName) base.resize(kMaxBaseName);
  return base + ".frm";
}

std::string outputFileName(const std::string& inputPath) {
  return outputFileName(inputPath, platform::isLeadByte);
}
