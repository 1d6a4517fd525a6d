# Writes the C++ table of the program's built-in resources.
#
#   cmake -DPALETTE=<palette.pal> -DOUTPUT=<file.cpp> -P embed_resources.cmake
#
# The palette becomes resource "PALETTE" 102, byte for byte.
if(NOT PALETTE OR NOT OUTPUT)
  message(FATAL_ERROR "embed_resources.cmake needs -DPALETTE= and -DOUTPUT=")
endif()

file(SIZE "${PALETTE}" palette_size)
if(NOT palette_size EQUAL 33536)
  message(FATAL_ERROR "${PALETTE} is ${palette_size} bytes, expected 33536")
endif()

file(READ "${PALETTE}" hex HEX)
# 16 bytes (32 hex digits) to a line, each byte as 0xNN.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")

file(WRITE "${OUTPUT}"
"// Generated from resources/palette.pal by resources/embed_resources.cmake.
// Do not edit; rerun the build after changing the palette.
#include <cstdint>

#include \"platform/embedded_resources.h\"

namespace platform {
namespace {

const std::uint8_t kPalette[${palette_size}] = {
    ${bytes}
};

}  // namespace

const EmbeddedResource kEmbeddedResources[] = {
    {\"PALETTE\", 102, kPalette, sizeof kPalette},
    {nullptr, 0, nullptr, 0},
};

}  // namespace platform
")
