// The run's settings, taken from the command line only.
#ifndef GIF2FRM_CONVERTER_OPTIONS_H_
#define GIF2FRM_CONVERTER_OPTIONS_H_

#include <cstdint>
#include <string>

#include "color/color_matching.h"

// Where framesPerSecond comes from.
enum class FrameRateSource {
  Fixed,     // the value of -f=Value, 0 unless given
  FromGifs,  // -f=gif: from the most common delay of direction 0
};

constexpr int kDirectionFileCount = 6;  // directions 0 to 5; 0 is the input

struct Options {
  // The original four. -x= and -y= hold one value for every direction, or
  // (six comma-separated values) one of their own for each.
  std::int32_t colorDelta = kDefaultColorDelta;  // -d=Value
  bool translateColors = true;  // -n: pass GIF colour indices through
  std::int32_t xShift[kDirectionFileCount] = {};  // -x=Value
  std::int32_t yShift[kDirectionFileCount] = {};  // -y=Value

  // Opt-in additions; their defaults give exactly the runs above.
  std::string paletteFile;      // -p=FILE; empty: built-in
  bool hasPaletteFile = false;  // -p= was given (even empty)
  ColorMatch matchMode = ColorMatch::FirstWithinDelta;  // -m=
  bool sixDirectionsInOne = false;                      // -6
  bool trim = false;  // -c: each frame cut to its visible pixels
  // -g=COLSxROWS: the input is a sprite sheet of so many cells; 0: it is not.
  std::uint32_t sheetColumns = 0;
  std::uint32_t sheetRows = 0;
  // -1=FILE to -5=FILE at [1] to [5]; [0] stays empty (the input).
  std::string directionFiles[kDirectionFileCount];
  bool hasDirectionFile[kDirectionFileCount] = {};
  FrameRateSource frameRateSource = FrameRateSource::Fixed;
  std::uint16_t framesPerSecond = 0;  // -f=Value
  bool hasActionFrame = false;        // -a=Value was given
  std::uint16_t actionFrame = 0;      // -a=Value
  std::string outputPath;             // -o=PATH; empty: current dir
  bool hasOutputPath = false;         // -o= was given (even empty)
  bool help = false;                  // -h or --help
  // -t=Value: pixels (and palette entries) of true-colour images whose alpha
  // is below it are transparent.
  std::uint8_t alphaThreshold = 128;
};

// Why a command line cannot be run, or Ok.
enum class OptionStatus {
  Ok,
  Unknown,            // an argument is none of the options
  BadMatchMode,       // -m= with a value that names no match mode
  BadFrameRate,       // -f= with a value other than 0..65535 or gif
  BadActionFrame,     // -a= with a value other than 0..65535
  BadShift,           // -x= or -y= with a list other than six whole numbers
  BadAlphaThreshold,  // -t= with a value other than 0..255
  BadSheet,           // -g= with a value other than COLSxROWS
  // The options taken together: checked after every argument was read.
  MixedDirectionSources,  // -6 together with -1= to -5=
  MissingDirectionFile,   // some but not all of -1= to -5=
};

struct OptionsParse {
  OptionStatus status = OptionStatus::Ok;
  int index = 0;  // the argument that stopped parsing, when status is set
};

// Applies argv[1] to argv[argc-2] (the last argument is always the input
// file) to options, in order, and stops at the first argument that is not
// an option or carries a value the option does not take; the arguments after
// it are not looked at. -h or --help also ends parsing (options.help set);
// so does a lone -h or --help, the only argument.
OptionsParse parseCommandLine(int argc, const char* const* argv,
                              Options& options);

// The same, reduced to a number: 0 when all of them were recognised,
// otherwise the index of the first argument that stopped parsing.
int parseOptions(int argc, const char* const* argv, Options& options);

// Whether the options name a sprite that can be made: -6 or -1= to -5=, not
// both, and all five of -1= to -5= or none of them. Ok when they do; for
// MissingDirectionFile, missing names the first one left out ("-3=FILE").
OptionStatus checkDirectionOptions(const Options& options,
                                   std::string& missing);

// Whether -1= to -5= make the sprite's directions (then six files are read).
bool hasDirectionFiles(const Options& options);

#endif  // GIF2FRM_CONVERTER_OPTIONS_H_
