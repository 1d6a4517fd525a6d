#include "gif/gif_records.h"

namespace {
int tableSize(std::uint8_t packed) { return 2 << (packed & 0x07); }
}  // namespace

int LogicalScreenDescriptor::field(int selector) const {
  switch (selector) {
    case GlobalColorTableFlag:
      return (packed >> 7) & 1;
    case ColorResolution:
      return ((packed >> 4) & 0x07) + 1;
    case SortFlag:
      return (packed >> 3) & 1;
    case GlobalColorTableSize:
      return tableSize(packed);
    default:
      return packed;
  }
}

int ImageDescriptor::field(int selector) const {
  switch (selector) {
    case LocalColorTableFlag:
      return (packed >> 7) & 1;
    case InterlaceFlag:
      return (packed >> 6) & 1;
    case SortFlag:
      return (packed >> 5) & 1;
    case LocalColorTableSize:
      return tableSize(packed);
    default:
      return packed;
  }
}

int GraphicControlExtension::field(int selector) const {
  switch (selector) {
    case DisposalMethod:
      return (packed >> 2) & 0x07;
    case UserInputFlag:
      return (packed >> 1) & 1;
    case TransparentColorFlag:
      return packed & 1;
    default:
      return packed;
  }
}
