#include "support/temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

TempDir::TempDir() {
  // The system's temporary directory, a name nobody else is using, and a
  // directory that create_directory has made itself (it says false for one
  // that was there already): the same on POSIX systems and Windows.
  std::error_code error;
  const std::filesystem::path base =
      std::filesystem::temp_directory_path(error);
  if (error) return;
  std::random_device seed;
  std::mt19937_64 generator(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate =
        base / ("gif2frm-test-" + std::to_string(generator() % 1000000000));
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code ignored;
  // A test may have taken permissions away; give them back to clean up.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name,
                    const std::vector<std::uint8_t>& bytes) const {
  std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void TempDir::write(const std::string& name, const std::string& text) const {
  write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
}

bool TempDir::exists(const std::string& name) const {
  std::error_code error;
  return std::filesystem::symlink_status(file(name), error).type() !=
         std::filesystem::file_type::not_found;
}

std::vector<std::uint8_t> TempDir::read(const std::string& name) const {
  return readFileBytes(file(name));
}

std::vector<std::string> TempDir::list() const {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry :
       std::filesystem::directory_iterator(path_, ignored)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::uint8_t> readFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>());
}
