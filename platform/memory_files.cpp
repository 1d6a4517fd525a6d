#include "platform/memory_files.h"

#include <new>
#include <utility>
#include <vector>

namespace platform {
namespace memory_files {
namespace {

struct MemoryFile {
  std::string name;
  ByteBuffer bytes;
  std::size_t size = 0;  // of bytes, the part that is the file
};

// A run touches a handful of files: a list searched from the front is
// plenty.
std::vector<MemoryFile> inputs;
std::vector<MemoryFile> outputs;
ReadListener readListener = nullptr;

MemoryFile* find(std::vector<MemoryFile>& files, const std::string& name) {
  for (MemoryFile& file : files) {
    if (file.name == name) return &file;
  }
  return nullptr;
}

// Puts bytes under name in files; false, with files unchanged, when the
// list cannot grow.
bool store(std::vector<MemoryFile>& files, const std::string& name,
           ByteBuffer&& bytes, std::size_t size) {
  if (MemoryFile* existing = find(files, name)) {
    existing->bytes = std::move(bytes);
    existing->size = size;
    return true;
  }
  try {
    files.push_back(MemoryFile{name, std::move(bytes), size});
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

std::string fileName(const std::string& path) {
  std::size_t start = 0;
  for (;;) {
    if (path.compare(start, 2, "./") == 0) {
      start += 2;
    } else if (start > 0 && path.compare(start, 1, "/") == 0) {
      start += 1;  // the second slash of ".//"
    } else {
      break;
    }
  }
  if (path.compare(start, std::string::npos, ".") == 0) return "";
  return path.substr(start);
}

bool isCurrentDirectory(const std::string& path) {
  return !path.empty() && fileName(path).empty();
}

namespace {

// The folder's name with one slash after it: what the names of its inputs
// begin with. Empty for a path that names no folder.
std::string folderPrefix(const std::string& path) {
  std::string folder = fileName(path);
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  if (!folder.empty()) folder.push_back('/');
  return folder;
}

}  // namespace

bool isInputFolder(const std::string& path) {
  const std::string prefix = folderPrefix(path);
  if (prefix.empty()) return false;
  for (const MemoryFile& file : inputs) {
    if (file.name.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

void listInputFolder(const std::string& path, std::vector<std::string>& names) {
  const std::string prefix = folderPrefix(path);
  if (prefix.empty()) return;
  for (const MemoryFile& file : inputs) {
    if (file.name.size() > prefix.size() &&
        file.name.compare(0, prefix.size(), prefix) == 0 &&
        file.name.find('/', prefix.size()) == std::string::npos) {
      names.push_back(file.name.substr(prefix.size()));
    }
  }
}

std::uint8_t* addInput(const std::string& name, std::size_t size) {
  ByteBuffer bytes;
  if (!bytes.allocate(size)) return nullptr;
  std::uint8_t* data = bytes.data();
  return store(inputs, fileName(name), std::move(bytes), size) ? data : nullptr;
}

const ByteBuffer* findInput(const std::string& name) {
  const MemoryFile* file = find(inputs, fileName(name));
  return file == nullptr ? nullptr : &file->bytes;
}

bool commitOutput(const std::string& name, ByteBuffer&& bytes,
                  std::size_t size) {
  return store(outputs, name, std::move(bytes), size);
}

void setReadListener(ReadListener listener) { readListener = listener; }

void reportRead(std::size_t bytes) {
  if (readListener != nullptr && bytes != 0) readListener(bytes);
}

std::size_t outputCount() { return outputs.size(); }
const std::string& outputName(std::size_t index) { return outputs[index].name; }
const std::uint8_t* outputData(std::size_t index) {
  return outputs[index].bytes.data();
}
std::size_t outputSize(std::size_t index) { return outputs[index].size; }

}  // namespace memory_files
}  // namespace platform
