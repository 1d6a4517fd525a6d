#include "frm2gif/options.h"

#include <cstring>

#include "cli/arguments.h"

int parseViewerOptions(int argc, const char* const* argv,
                       ViewerOptions& options) {
  if (argc == 2 && isHelpOption(argv[1])) {
    options.help = true;
    return 0;
  }
  for (int i = 1; i <= argc - 2; ++i) {
    const char* argument = argv[i];
    if (isHelpOption(argument)) {
      options.help = true;
      return 0;
    }
    if (startsWith(argument, "-p=")) {
      options.paletteFile = argument + 3;
      options.hasPaletteFile = true;
    } else if (startsWith(argument, "-o=")) {
      options.outputPath = argument + 3;
      options.hasOutputPath = true;
    } else if (std::strcmp(argument, "-i") == 0) {
      options.infoOnly = true;
    } else {
      return i;
    }
  }
  return 0;
}
