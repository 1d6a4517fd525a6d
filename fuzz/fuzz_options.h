// The conversion fuzzer's options, taken from the front of its input. An
// input that starts with 'G' (every real GIF) is converted whole with the
// default options, so GIF files serve as seeds unchanged; any other input
// spends two bytes on the options and the rest is the GIF:
//
//   byte 0  bit 0     -n (colour indices pass through)
//           bits 1-3  colour delta, one of kDeltas
//           bit 4     -6 (six directions in the one GIF)
//           bit 5     -f=gif (the rate from the delays)
//           bits 6-7  action frame, one of kActionFrames (0: no -a=)
//   byte 1  bits 0-3  x shift, one of kShifts
//           bits 4-7  y shift, one of kShifts
//
// An input that starts with 'M' spends one byte more in front of all that:
// the byte after the 'M' chooses the match mode (first, nearest, dither,
// ordered, by its value modulo 4), and the rest is read as above.
//
// An input that starts with the PNG signature's first byte (0x89, every
// real PNG and APNG) is converted whole with the default options too. One
// that starts with 'T' spends a byte more, like 'M', and the rest is read as
// above (an 'M' may follow):
//
//   bits 0-2  -t=, one of kAlphaThresholds (the default 128 first)
//   bit 3     -c (each frame trimmed to its visible pixels)
#ifndef GIF2FRM_FUZZ_FUZZ_OPTIONS_H_
#define GIF2FRM_FUZZ_FUZZ_OPTIONS_H_

#include <cstddef>
#include <cstdint>

#include "gif2frm/options.h"

struct FuzzInput {
  Options options;
  // The input file's bytes, whatever it is (a GIF, a PNG or neither).
  const std::uint8_t* gif;
  std::size_t gifSize;
};

FuzzInput splitFuzzInput(const std::uint8_t* data, std::size_t size);

#endif  // GIF2FRM_FUZZ_FUZZ_OPTIONS_H_
