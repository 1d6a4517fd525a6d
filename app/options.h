// The run's settings, taken from the command line only.
#ifndef GIF2FRM_APP_OPTIONS_H_
#define GIF2FRM_APP_OPTIONS_H_

#include <cstdint>

struct Options {
  std::int32_t colorDelta = 4;   // -d=Value: tolerance of the colour match
  bool translateColors = true;   // -n: pass GIF colour indices through
  std::int32_t xShift = 0;       // -x=Value: the sprite's x shift
  std::int32_t yShift = 0;       // -y=Value: the sprite's y shift
};

// Applies argv[1] to argv[argc-2] (the last argument is always the input
// file) to options, in order. Returns 0 when all of them were recognised,
// otherwise the index of the first one that was not; the arguments after it
// are not looked at.
int parseOptions(int argc, const char* const* argv, Options& options);

#endif  // GIF2FRM_APP_OPTIONS_H_
