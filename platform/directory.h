// What the programs ask of directories: whether a path names one (choosing
// where an output goes, telling a folder of frames from a file), and what
// it holds.
#ifndef GIF2FRM_PLATFORM_DIRECTORY_H_
#define GIF2FRM_PLATFORM_DIRECTORY_H_

#include <string>
#include <vector>

namespace platform {

// True when path names a directory that exists (following links).
bool isDirectory(const char* path);

// The names of the entries of the directory at path that are files (links
// followed; directories and anything else left out), in no particular
// order. False when the directory cannot be read.
bool listFiles(const char* path, std::vector<std::string>& names);

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_DIRECTORY_H_
