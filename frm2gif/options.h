// frm2gif's settings, taken from the command line only.
#ifndef GIF2FRM_FRM2GIF_OPTIONS_H_
#define GIF2FRM_FRM2GIF_OPTIONS_H_

#include <string>

struct ViewerOptions {
  std::string paletteFile;      // -p=FILE; empty: the built-in palette
  bool hasPaletteFile = false;  // -p= was given (even empty)
  bool infoOnly = false;       // -i: print the header and frames, write nothing
  std::string outputPath;      // -o=PATH; empty: the current directory
  bool hasOutputPath = false;  // -o= was given (even empty)
  bool help = false;           // -h or --help
};

// Applies argv[1] to argv[argc-2] (the last argument is always the FRM file)
// to options, in order. Returns 0 when all of them are options, otherwise
// the index of the first that is not; the arguments after it are not looked
// at. -h or --help ends parsing with options.help set, also as the only
// argument.
int parseViewerOptions(int argc, const char* const* argv,
                       ViewerOptions& options);

#endif  // GIF2FRM_FRM2GIF_OPTIONS_H_
