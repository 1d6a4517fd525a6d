#ifndef GIF2FRM_CLI_OUTPUT_NAME_H_
#define GIF2FRM_CLI_OUTPUT_NAME_H_

#include <string>

// The output file's name for an input path: the file part without its last
// extension, cut to 255 bytes, plus ".frm"; no drive and no directory, so
// the file lands in the current directory. isLeadByte tells which bytes start
// a double-byte character, whose second byte is never a separator or a dot.
std::string outputFileName(const std::string& inputPath,
                           bool (*isLeadByte)(unsigned char));

// The same with the process's own code page.
std::string outputFileName(const std::string& inputPath);

// The base of an output name: the input path's file part without its last
// extension, cut to 255 bytes, read in the process's own code page.
std::string baseFileName(const std::string& inputPath,
                         bool (*isLeadByte)(unsigned char));
std::string baseFileName(const std::string& inputPath);

// Where an output goes: the file it creates or replaces, and the directory
// that file is in, where its temporary file must be made so that the final
// rename never crosses file systems.
struct OutputTarget {
  std::string path;
  std::string directory;
};

// Without an output path (null): fileName in the current directory. With
// one (-o=PATH): PATH/fileName when PATH names an existing directory, else
// PATH itself, in the directory its own name gives. isDirectory and
// isLeadByte stand for the file system and the code page.
OutputTarget outputTarget(const std::string& fileName,
                          const std::string* outputPath,
                          bool (*isDirectory)(const char*),
                          bool (*isLeadByte)(unsigned char));

// The same with the real file system and the process's code page.
OutputTarget outputTarget(const std::string& fileName,
                          const std::string* outputPath);

#endif  // GIF2FRM_CLI_OUTPUT_NAME_H_
