// What the PNG tests share: reading a file or bytes with the reader, the
// corpus's files, and a frame's pixels as RGBA whatever the image's kind.
#ifndef GIF2FRM_TESTS_PNG_PNG_TEST_FILES_H_
#define GIF2FRM_TESTS_PNG_PNG_TEST_FILES_H_

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "png/png_reader.h"
#include "support/temp_dir.h"

struct ReadPng {
  PngStatus status = PngStatus::Ok;
  std::unique_ptr<PngImage> image = std::make_unique<PngImage>();
};

inline ReadPng readPngBytes(const std::vector<std::uint8_t>& bytes,
                            const PngLimits& limits = PngLimits{}) {
  ReadPng read;
  PngInput input(bytes.data(), bytes.size());
  read.status = readPng(input, limits, *read.image);
  return read;
}

// The frame's pixels as R, G, B, A, an indexed image's through its palette.
inline std::vector<std::uint8_t> rgbaOf(const PngImage& image,
                                        const PngFrame& frame) {
  const std::size_t count = std::size_t{frame.width} * frame.height;
  const std::uint8_t* pixels = frame.pixels.data();
  if (!image.indexed) return {pixels, pixels + 4 * count};
  std::vector<std::uint8_t> rgba;
  rgba.reserve(4 * count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = image.palette[pixels[i]];
    rgba.insert(rgba.end(), entry, entry + 4);
  }
  return rgba;
}

inline const std::filesystem::path& pngCorpus() {
  static const std::filesystem::path corpus =
      std::filesystem::path(GIF2FRM_SOURCE_DIR) / ".." / "shared" /
      "png-corpus";
  return corpus;
}

// Every PNG and APNG file of the corpus (by content: its tools are left
// out), sorted.
inline std::vector<std::filesystem::path> corpusPngFiles() {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(pngCorpus(), error)) {
    const std::string name = entry.path().filename().string();
    const std::string extension = entry.path().extension().string();
    if (entry.is_regular_file() &&
        (extension == ".png" || extension == ".apng")) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The path below the corpus folder, with forward slashes.
inline std::string corpusName(const std::filesystem::path& path) {
  return std::filesystem::relative(path, pngCorpus()).generic_string();
}

#endif  // GIF2FRM_TESTS_PNG_PNG_TEST_FILES_H_
