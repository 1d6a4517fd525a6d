// Row order of interlaced GIF images (GIF89a standard, appendix E): the data
// holds rows 0, 8, 16, ...; then 4, 12, ...; then 2, 6, ...; then 1, 3, ....
#ifndef GIF2FRM_GIF_INTERLACE_H_
#define GIF2FRM_GIF_INTERLACE_H_

#include <cstdint>

// The display row of the row that stands at streamRow in the image data of an
// interlaced image of the given height. streamRow must be below height.
std::uint32_t interlacedDisplayRow(std::uint32_t streamRow,
                                   std::uint32_t height);

// The inverse: where in the image data the row shown at displayRow stands.
std::uint32_t interlacedStreamRow(std::uint32_t displayRow,
                                  std::uint32_t height);

#endif  // GIF2FRM_GIF_INTERLACE_H_
