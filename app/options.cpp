#include "app/options.h"

#include <cstring>

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

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

int parseOptions(int argc, const char* const* argv, Options& options) {
  for (int i = 1; i <= argc - 2; ++i) {
    const char* argument = argv[i];
    if (startsWith(argument, "-d=")) {
      scanDecimal(argument + 3, options.colorDelta);
    } else if (startsWith(argument, "-n")) {
      options.translateColors = false;
    } else if (startsWith(argument, "-x=")) {
      scanDecimal(argument + 3, options.xShift);
    } else if (startsWith(argument, "-y=")) {
      scanDecimal(argument + 3, options.yShift);
    } else {
      return i;
    }
  }
  return 0;
}
