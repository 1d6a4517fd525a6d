#include "gif2frm/options.h"

#include <cstring>

#include "cli/arguments.h"

namespace {

bool isScanSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// What sscanf(text, "%d", &value) does with text: white space skipped, an
// optional sign, then decimal digits up to the first other character. With
// no digit the value is left alone. Digits beyond the range of an int wrap
// around modulo 2^32, as the Windows C run-time does, instead of being
// undefined.
void scanDecimal(const char* text, std::int32_t& value) {
  while (isScanSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
  }
  if (*text < '0' || *text > '9') return;
  std::uint32_t magnitude = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    magnitude = magnitude * 10u + static_cast<std::uint32_t>(*text - '0');
  }
  if (negative) magnitude = 0u - magnitude;
  value = static_cast<std::int32_t>(magnitude);
}

// A whole decimal number from 0 to 65535 and nothing else: the new options
// take their values strictly, unlike the scanf rule of the original four.
bool parseUnsigned16(const char* text, std::uint16_t& value) {
  if (*text == '\0') return false;
  std::uint32_t number = 0;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
    number = number * 10u + static_cast<std::uint32_t>(*text - '0');
    if (number > 0xFFFFu) return false;
  }
  value = static_cast<std::uint16_t>(number);
  return true;
}

bool parseMatchMode(const char* text, MatchMode& mode) {
  if (std::strcmp(text, "first") == 0) {
    mode = MatchMode::First;
  } else if (std::strcmp(text, "nearest") == 0) {
    mode = MatchMode::Nearest;
  } else if (std::strcmp(text, "dither") == 0) {
    mode = MatchMode::Dither;
  } else {
    return false;
  }
  return true;
}

// The direction number of -1=FILE to -5=FILE, or 0 for any other argument.
int directionOption(const char* argument) {
  if (argument[0] == '-' && argument[1] >= '1' && argument[1] <= '5' &&
      argument[2] == '=') {
    return argument[1] - '0';
  }
  return 0;
}

// One of the options added to the original four. Error::Unknown when the
// argument is none of them.
OptionError applyAddedOption(const char* argument, Options& options) {
  if (startsWith(argument, "-p=")) {
    options.paletteFile = argument + 3;
    options.hasPaletteFile = true;
  } else if (startsWith(argument, "-m=")) {
    if (!parseMatchMode(argument + 3, options.matchMode)) {
      return OptionError::BadMatchMode;
    }
  } else if (std::strcmp(argument, "-6") == 0) {
    options.sixDirectionsInOne = true;
  } else if (int direction = directionOption(argument); direction != 0) {
    options.directionFiles[direction] = argument + 3;
    options.hasDirectionFile[direction] = true;
  } else if (startsWith(argument, "-f=")) {
    if (std::strcmp(argument + 3, "gif") == 0) {
      options.frameRateSource = FrameRateSource::FromGifs;
    } else if (parseUnsigned16(argument + 3, options.framesPerSecond)) {
      options.frameRateSource = FrameRateSource::Fixed;
    } else {
      return OptionError::BadFrameRate;
    }
  } else if (startsWith(argument, "-a=")) {
    if (!parseUnsigned16(argument + 3, options.actionFrame)) {
      return OptionError::BadActionFrame;
    }
    options.hasActionFrame = true;
  } else if (startsWith(argument, "-o=")) {
    options.outputPath = argument + 3;
    options.hasOutputPath = true;
  } else {
    return OptionError::Unknown;
  }
  return OptionError::None;
}

}  // namespace

OptionsParse parseCommandLine(int argc, const char* const* argv,
                              Options& options) {
  if (argc == 2 && isHelpOption(argv[1])) {
    options.help = true;
    return {};
  }
  for (int i = 1; i <= argc - 2; ++i) {
    const char* argument = argv[i];
    // The original four come first and keep their prefix rules: any
    // argument that starts with -n is -n, so no added option starts so.
    if (startsWith(argument, "-d=")) {
      scanDecimal(argument + 3, options.colorDelta);
    } else if (startsWith(argument, "-n")) {
      options.translateColors = false;
    } else if (startsWith(argument, "-x=")) {
      scanDecimal(argument + 3, options.xShift);
    } else if (startsWith(argument, "-y=")) {
      scanDecimal(argument + 3, options.yShift);
    } else if (isHelpOption(argument)) {
      options.help = true;
      return {};
    } else if (OptionError error = applyAddedOption(argument, options);
               error != OptionError::None) {
      return {error, i};
    }
  }
  return {};
}

int parseOptions(int argc, const char* const* argv, Options& options) {
  return parseCommandLine(argc, argv, options).index;
}
