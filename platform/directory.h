// Whether a path names an existing directory, the one question about the
// file system that choosing where an output goes needs.
#ifndef GIF2FRM_PLATFORM_DIRECTORY_H_
#define GIF2FRM_PLATFORM_DIRECTORY_H_

namespace platform {

// True when path names a directory that exists (following links).
bool isDirectory(const char* path);

}  // namespace platform

#endif  // GIF2FRM_PLATFORM_DIRECTORY_H_
