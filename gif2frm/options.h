// The run's settings, taken from the command line only.
#ifndef GIF2FRM_CONVERTER_OPTIONS_H_
#define GIF2FRM_CONVERTER_OPTIONS_H_

#include <cstdint>
#include <string>

// How GIF colours become palette entries.
enum class MatchMode {
  First,    // the first entry within the colour delta; a table may fail
  Nearest,  // the perceptually nearest entry (CIE76 in CIELAB); never fails
  Dither,   // Floyd-Steinberg error diffusion onto the nearest entries
};

// Where framesPerSecond comes from.
enum class FrameRateSource {
  Fixed,     // the value of -f=Value, 0 unless given
  FromGifs,  // -f=gif: from the most common delay of direction 0
};

constexpr int kDirectionFileCount = 6;  // directions 0 to 5; 0 is the input

struct Options {
  // The original four.
  std::int32_t colorDelta = 4;  // -d=Value: tolerance of the colour match
  bool translateColors = true;  // -n: pass GIF colour indices through
  std::int32_t xShift = 0;      // -x=Value: the sprite's x shift
  std::int32_t yShift = 0;      // -y=Value: the sprite's y shift

  // Opt-in additions; their defaults give exactly the runs above.
  std::string paletteFile;                 // -p=FILE; empty: built-in
  bool hasPaletteFile = false;             // -p= was given (even empty)
  MatchMode matchMode = MatchMode::First;  // -m=first|nearest|dither
  bool sixDirectionsInOne = false;         // -6
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
};

// Why parsing stopped at an argument.
enum class OptionError {
  None,
  Unknown,         // none of the options
  BadMatchMode,    // -m= with a value other than first, nearest, dither
  BadFrameRate,    // -f= with a value other than 0..65535 or gif
  BadActionFrame,  // -a= with a value other than 0..65535
};

struct OptionsParse {
  OptionError error = OptionError::None;
  int index = 0;  // the argument that stopped parsing, when error is set
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

#endif  // GIF2FRM_CONVERTER_OPTIONS_H_
