// The files of a run without a file system (the program in the browser): the
// caller puts the input files here by name before the run, InputFile reads
// them, OutputFile commits into the table of output files, and the caller
// takes those afterwards. There is one directory, the current one: a name
// is a file name in it, compared byte for byte once a leading "./" is
// dropped. An input named FOLDER/NAME lies in the folder FOLDER, which
// exists as long as an input lies in it (a folder of frames).
#ifndef GIF2FRM_PLATFORM_MEMORY_FILES_H_
#define GIF2FRM_PLATFORM_MEMORY_FILES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/byte_buffer.h"

namespace platform {
namespace memory_files {

// The name of the file that path names: path without its leading "./"
// (or ".//", "././", ...); empty when path names the current directory.
std::string fileName(const std::string& path);

// Whether path names the current directory: ".", "./" and the like.
bool isCurrentDirectory(const std::string& path);

// Whether path names a folder that some input lies in.
bool isInputFolder(const std::string& path);

// The names of the inputs that lie directly in the folder at path.
void listInputFolder(const std::string& path, std::vector<std::string>& names);

// Makes room for an input file of size bytes under name, replacing one of
// that name, and returns where its bytes go; null when the memory cannot be
// had.
std::uint8_t* addInput(const std::string& name, std::size_t size);

// The input file of that name, or null when there is none.
const ByteBuffer* findInput(const std::string& name);

// Takes the first size bytes of bytes as the output file name (a name as
// fileName gives it), replacing an output of that name. False, with nothing
// changed, when the table cannot grow.
bool commitOutput(const std::string& name, ByteBuffer&& bytes,
                  std::size_t size);

// Who is told how far a run has read its input files, so that the page can
// show the progress of a large one: listener(bytes) gets the bytes read
// since it was last called, at least kReadReportStep of them and at the end
// of each file. Null (as at the start) tells no one.
using ReadListener = void (*)(std::size_t bytes);
constexpr std::size_t kReadReportStep = std::size_t{1} << 20;
void setReadListener(ReadListener listener);
// What InputFile calls as it hands out bytes.
void reportRead(std::size_t bytes);

// The output files in the order they were first committed.
std::size_t outputCount();
const std::string& outputName(std::size_t index);
const std::uint8_t* outputData(std::size_t index);
std::size_t outputSize(std::size_t index);

}  // namespace memory_files
}  // namespace platform

#endif  // GIF2FRM_PLATFORM_MEMORY_FILES_H_
