// The playback rate of -f=gif, from the delays of the frames.
#ifndef GIF2FRM_CONVERTER_FRAME_RATE_H_
#define GIF2FRM_CONVERTER_FRAME_RATE_H_

#include <cstddef>
#include <cstdint>

#include "gif2frm/source_image.h"

// Frames per second from the first frameCount frames of image: 100 divided
// by their most common non-zero delay (hundredths of a second; on a tie the
// shorter delay), rounded to the nearest whole number with halves up, and at
// least 1. 0 when none of them has a delay.
std::uint16_t framesPerSecondFromDelays(const SourceImage& image,
                                        std::size_t frameCount);

#endif  // GIF2FRM_CONVERTER_FRAME_RATE_H_
