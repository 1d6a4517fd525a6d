// A fresh directory for one test, removed with everything in it afterwards.
#ifndef GIF2FRM_TESTS_SUPPORT_TEMP_DIR_H_
#define GIF2FRM_TESTS_SUPPORT_TEMP_DIR_H_

#include <cstdint>
#include <string>
#include <vector>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  void write(const std::string& name,
             const std::vector<std::uint8_t>& bytes) const;
  void write(const std::string& name, const std::string& text) const;
  bool exists(const std::string& name) const;
  std::vector<std::uint8_t> read(const std::string& name) const;
  // Names of everything in the directory, sorted.
  std::vector<std::string> list() const;

 private:
  std::string path_;
};

std::vector<std::uint8_t> readFileBytes(const std::string& path);

#endif  // GIF2FRM_TESTS_SUPPORT_TEMP_DIR_H_
