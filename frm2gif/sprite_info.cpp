#include "frm2gif/sprite_info.h"

#include <cstdio>
#include <cstring>

namespace {

// One header field of six entries, one per direction. The packed header's
// fields may be unaligned, so they are copied out byte by byte.
template <typename Field>
void printSixFields(const char* name, const void* field) {
  const auto* bytes = static_cast<const unsigned char*>(field);
  std::printf("%-19s", name);
  for (int d = 0; d < kFrmDirections; ++d) {
    Field value;
    std::memcpy(&value, bytes + d * sizeof value, sizeof value);
    std::printf(" %lld", static_cast<long long>(value));
  }
  std::printf("\n");
}

}  // namespace

void printSpriteInfo(const FrmImage& image,
                     const std::vector<DirectionPicture>& layouts) {
  const FrmHeader header = image;
  std::printf("%-19s %lu\n", "version",
              static_cast<unsigned long>(header.version));
  std::printf("%-19s %u\n", "framesPerSecond",
              unsigned{header.framesPerSecond});
  std::printf("%-19s %u\n", "actionFrame", unsigned{header.actionFrame});
  std::printf("%-19s %u\n", "framesPerDirection",
              unsigned{header.framesPerDirection});
  printSixFields<std::int16_t>("shiftX", &header.shiftX);
  printSixFields<std::int16_t>("shiftY", &header.shiftY);
  printSixFields<std::uint32_t>("dataOffset", &header.dataOffset);
  std::printf("%-19s %lu\n", "frameAreaSize",
              static_cast<unsigned long>(header.frameAreaSize));
  std::printf("%-19s %u\n", "directions",
              static_cast<unsigned>(layouts.size()));
  for (std::size_t d = 0; d < layouts.size(); ++d) {
    std::printf("direction %u: %lld x %lld pixels\n", static_cast<unsigned>(d),
                static_cast<long long>(layouts[d].width),
                static_cast<long long>(layouts[d].height));
  }
  std::printf("direction frame width height offsetX offsetY   left    top\n");
  for (std::size_t d = 0; d < layouts.size(); ++d) {
    const std::uint32_t first = std::uint32_t{header.framesPerDirection} *
                                static_cast<std::uint32_t>(d);
    for (std::uint32_t k = 0; k < header.framesPerDirection; ++k) {
      const FrmFrame& frame = *image.frames[first + k];
      const FramePlacement& at = layouts[d].frames[k];
      std::printf(
          "%9u %5lu %5u %6u %7d %7d %6lld %6lld\n", static_cast<unsigned>(d),
          static_cast<unsigned long>(k), unsigned{frame.width},
          unsigned{frame.height}, int{frame.offsetX}, int{frame.offsetY},
          static_cast<long long>(at.left), static_cast<long long>(at.top));
    }
  }
}
