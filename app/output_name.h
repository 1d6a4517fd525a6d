#ifndef GIF2FRM_APP_OUTPUT_NAME_H_
#define GIF2FRM_APP_OUTPUT_NAME_H_

#include <string>

// The output file's name for an input path: the file part without its last
// extension, cut to 255 bytes, plus ".frm"; no drive and no directory, so
// the file lands in the current directory. isLeadByte tells which bytes start
// a double-byte character, whose second byte is never a separator or a dot.
std::string outputFileName(const std::string& inputPath,
                           bool (*isLeadByte)(unsigned char));

// The same with the process's own code page.
std::string outputFileName(const std::string& inputPath);

#endif  // GIF2FRM_APP_OUTPUT_NAME_H_
