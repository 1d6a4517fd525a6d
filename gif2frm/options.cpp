#include "gif2frm/options.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "cli/arguments.h"

namespace {

bool isScanSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// What sscanf(text, "%d", &value) does with text: white space skipped, an
// optional sign, then decimal digits up to the first other character. With
// no digit the value is left alone (and the result is false). Digits beyond
// the range of an int wrap around modulo 2^32, as the Windows C run-time
// does, instead of being undefined.
bool scanDecimal(const char* text, std::int32_t& value) {
  while (isScanSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
  }
  if (*text < '0' || *text > '9') return false;
  std::uint32_t magnitude = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    magnitude = magnitude * 10u + static_cast<std::uint32_t>(*text - '0');
  }
  if (negative) magnitude = 0u - magnitude;
  value = static_cast<std::int32_t>(magnitude);
  return true;
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

bool parseMatchMode(const char* text, ColorMatch& mode) {
  if (std::strcmp(text, "first") == 0) {
    mode = ColorMatch::FirstWithinDelta;
  } else if (std::strcmp(text, "nearest") == 0) {
    mode = ColorMatch::Nearest;
  } else if (std::strcmp(text, "dither") == 0) {
    mode = ColorMatch::Dither;
  } else if (std::strcmp(text, "ordered") == 0) {
    mode = ColorMatch::Ordered;
  } else {
    return false;
  }
  return true;
}

// -g='s COLSxROWS: two whole numbers from 1 to 65535 with an x between.
bool parseSheet(const char* text, Options& options) {
  const char* x = std::strchr(text, 'x');
  if (x == nullptr) return false;
  const std::string columns(text, x);
  std::uint16_t across = 0;
  std::uint16_t down = 0;
  if (!parseUnsigned16(columns.c_str(), across) ||
      !parseUnsigned16(x + 1, down) || across == 0 || down == 0) {
    return false;
  }
  options.sheetColumns = across;
  options.sheetRows = down;
  return true;
}

// One whole decimal number with an optional sign, from text up to end, that
// fits 32 bits.
bool parseSigned32(const char* text, const char* end, std::int32_t& value) {
  bool negative = false;
  if (text != end && (*text == '+' || *text == '-')) {
    negative = *text == '-';
    ++text;
  }
  if (text == end) return false;
  std::int64_t magnitude = 0;
  for (; text != end; ++text) {
    if (*text < '0' || *text > '9') return false;
    magnitude = magnitude * 10 + (*text - '0');
    if (magnitude > std::int64_t{1} << 31) return false;
  }
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > INT32_MAX) return false;
  value = static_cast<std::int32_t>(signedValue);
  return true;
}

// The value of -x= or -y=. One value, read as scanf's %d reads it (and kept
// as it was when there is no number), is every direction's. A value with a
// comma must be six whole numbers, one per direction.
bool parseShift(const char* text, std::int32_t (&shifts)[kDirectionFileCount]) {
  if (std::strchr(text, ',') == nullptr) {
    std::int32_t value = 0;
    if (scanDecimal(text, value)) {
      for (std::int32_t& shift : shifts) shift = value;
    }
    return true;
  }
  std::int32_t values[kDirectionFileCount];
  for (int k = 0; k < kDirectionFileCount; ++k) {
    const char* comma = std::strchr(text, ',');
    const bool last = k == kDirectionFileCount - 1;
    // Five commas exactly: one after each value but the last.
    if ((comma == nullptr) != last) return false;
    const char* end = last ? text + std::strlen(text) : comma;
    if (!parseSigned32(text, end, values[k])) return false;
    text = end + (last ? 0 : 1);
  }
  std::copy(std::begin(values), std::end(values), std::begin(shifts));
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

// One of the options added to the original four. Unknown when the
// argument is none of them.
OptionStatus applyAddedOption(const char* argument, Options& options) {
  if (startsWith(argument, "-p=")) {
    options.paletteFile = argument + 3;
    options.hasPaletteFile = true;
  } else if (startsWith(argument, "-m=")) {
    if (!parseMatchMode(argument + 3, options.matchMode)) {
      return OptionStatus::BadMatchMode;
    }
  } else if (std::strcmp(argument, "-6") == 0) {
    options.sixDirectionsInOne = true;
  } else if (std::strcmp(argument, "-c") == 0) {
    options.trim = true;
  } else if (int direction = directionOption(argument); direction != 0) {
    options.directionFiles[direction] = argument + 3;
    options.hasDirectionFile[direction] = true;
  } else if (startsWith(argument, "-f=")) {
    if (std::strcmp(argument + 3, "gif") == 0) {
      options.frameRateSource = FrameRateSource::FromGifs;
    } else if (parseUnsigned16(argument + 3, options.framesPerSecond)) {
      options.frameRateSource = FrameRateSource::Fixed;
    } else {
      return OptionStatus::BadFrameRate;
    }
  } else if (startsWith(argument, "-a=")) {
    if (!parseUnsigned16(argument + 3, options.actionFrame)) {
      return OptionStatus::BadActionFrame;
    }
    options.hasActionFrame = true;
  } else if (startsWith(argument, "-g=")) {
    if (!parseSheet(argument + 3, options)) return OptionStatus::BadSheet;
  } else if (startsWith(argument, "-t=")) {
    std::uint16_t threshold = 0;
    if (!parseUnsigned16(argument + 3, threshold) || threshold > 255) {
      return OptionStatus::BadAlphaThreshold;
    }
    options.alphaThreshold = static_cast<std::uint8_t>(threshold);
  } else if (startsWith(argument, "-o=")) {
    options.outputPath = argument + 3;
    options.hasOutputPath = true;
  } else {
    return OptionStatus::Unknown;
  }
  return OptionStatus::Ok;
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
    } else if (startsWith(argument, "-x=") || startsWith(argument, "-y=")) {
      if (!parseShift(argument + 3,
                      argument[1] == 'x' ? options.xShift : options.yShift)) {
        return {OptionStatus::BadShift, i};
      }
    } else if (isHelpOption(argument)) {
      options.help = true;
      return {};
    } else if (OptionStatus error = applyAddedOption(argument, options);
               error != OptionStatus::Ok) {
      return {error, i};
    }
  }
  return {};
}

int parseOptions(int argc, const char* const* argv, Options& options) {
  return parseCommandLine(argc, argv, options).index;
}

bool hasDirectionFiles(const Options& options) {
  for (int k = 1; k < kDirectionFileCount; ++k) {
    if (options.hasDirectionFile[k]) return true;
  }
  return false;
}

OptionStatus checkDirectionOptions(const Options& options,
                                   std::string& missing) {
  if (!hasDirectionFiles(options)) return OptionStatus::Ok;
  if (options.sixDirectionsInOne) return OptionStatus::MixedDirectionSources;
  for (int k = 1; k < kDirectionFileCount; ++k) {
    if (!options.hasDirectionFile[k]) {
      missing.assign("-").append(1, static_cast<char>('0' + k)).append("=FILE");
      return OptionStatus::MissingDirectionFile;
    }
  }
  return OptionStatus::Ok;
}
