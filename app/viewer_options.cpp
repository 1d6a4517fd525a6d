#include "app/viewer_options.h"

#include <cstring>

namespace {

bool isHelp(const char* argument) {
  return std::strcmp(argument, "-h") == 0 ||
         std::strcmp(argument, "--help") == 0;
}

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

int parseViewerOptions(int argc, const char* const* argv,
                       ViewerOptions& options) {
  if (argc == 2 && isHelp(argv[1])) {
    options.help = true;
    return 0;
  }
  for (int i = 1; i <= argc - 2; ++i) {
    const char* argument = argv[i];
    if (isHelp(argument)) {
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
