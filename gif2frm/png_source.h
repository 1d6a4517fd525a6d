// A PNG or APNG as the sprite assembly takes it: its canvas, and each frame
// with its rectangle, its delay in hundredths of a second and its pixels:
// indices into the palette (an indexed image) or 8-bit RGBA (any other).
#ifndef GIF2FRM_CONVERTER_PNG_SOURCE_H_
#define GIF2FRM_CONVERTER_PNG_SOURCE_H_

#include <cstdint>

#include "gif2frm/source_image.h"
#include "png/png_image.h"

// A decoded PNG and what its description points to.
struct PngSource {
  PngImage png;
  // The palette's colours without their alpha, as a colour table.
  std::uint8_t paletteColors[3 * 256] = {};
};

// An APNG frame's delay, delayNumerator / delayDenominator seconds (a
// denominator of 0 standing for 100), in hundredths of a second: rounded to
// the nearest, halves up, at most 65535.
std::uint16_t hundredthsOfDelay(std::uint16_t numerator,
                                std::uint16_t denominator);

// Adds the PNG's frames to image as a part of their own; the PNG's canvas
// is image's when image has no frame yet. Palette entries whose alpha is
// below alphaThreshold are transparent: their pixels all take the first
// such entry's index, which stands for them (the frames' pixels change).
// An index past the palette's entries maps as a GIF index past its colour
// table does: to 0.
void appendPng(PngSource& source, std::uint8_t alphaThreshold,
               SourceImage& image);

#endif  // GIF2FRM_CONVERTER_PNG_SOURCE_H_
