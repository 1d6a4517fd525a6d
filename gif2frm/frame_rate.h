// The playback rate of -f=gif, from the delays of a GIF's images.
#ifndef GIF2FRM_CONVERTER_FRAME_RATE_H_
#define GIF2FRM_CONVERTER_FRAME_RATE_H_

#include <cstddef>
#include <cstdint>

#include "gif/gif_file.h"

// Frames per second from the first frameCount images of gif: 100 divided by
// their most common non-zero delay (hundredths of a second, from each image's
// graphic control extension; on a tie the shorter delay), rounded to the
// nearest whole number with halves up, and at least 1. 0 when none of them
// has a delay.
std::uint16_t framesPerSecondFromDelays(const GifFile& gif,
                                        std::size_t frameCount);

#endif  // GIF2FRM_CONVERTER_FRAME_RATE_H_
