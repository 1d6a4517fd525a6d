// The order a folder's frames are taken in: file names as people number
// them, walk2.png before walk10.png.
#ifndef GIF2FRM_CONVERTER_NATURAL_ORDER_H_
#define GIF2FRM_CONVERTER_NATURAL_ORDER_H_

#include <string>

// Whether a comes before b: the names are compared piece by piece, a run of
// decimal digits against a run of digits by its value (leading zeros aside)
// and anything else byte by byte; names that are equal that way (walk01,
// walk1) are ordered byte by byte.
bool naturalLess(const std::string& a, const std::string& b);

#endif  // GIF2FRM_CONVERTER_NATURAL_ORDER_H_
