// -c: each frame cut down to the smallest rectangle that holds its visible
// pixels (those not 0), the rectangle keeping its place on the canvas, so
// that the placement of frames keeps the figure where it stood.
#ifndef GIF2FRM_CONVERTER_FRAME_TRIM_H_
#define GIF2FRM_CONVERTER_FRAME_TRIM_H_

#include <cstdint>

// A rectangle of a frame, in the frame's own pixels.
struct PixelRect {
  std::uint32_t left = 0;
  std::uint32_t top = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// The smallest rectangle of the width x height palette entries at pixels
// that holds every pixel other than 0; width and height 0 when there is
// none.
PixelRect visibleRect(const std::uint8_t* pixels, std::uint32_t width,
                      std::uint32_t height);

// Moves the pixels of rect to the front of pixels (a frame of the given
// width), row after row, as a frame of rect's size.
void cropInPlace(std::uint8_t* pixels, std::uint32_t width,
                 const PixelRect& rect);

#endif  // GIF2FRM_CONVERTER_FRAME_TRIM_H_
