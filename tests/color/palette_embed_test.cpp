// The program carries resources/palette.pal byte for byte.
#include <cstdint>
#include <vector>

#include "color/committed_palette.h"
#include "color/palette.h"
#include "gtest/gtest.h"
#include "platform/resource.h"

namespace {

TEST(PaletteEmbedTest, LoadedPaletteIsTheCommittedFile) {
  const std::vector<std::uint8_t> file = committedResource("palette.pal");
  ASSERT_EQ(file.size(), kPaletteResourceSize);
  const std::uint8_t* palette = loadPalette();
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(std::vector<std::uint8_t>(palette, palette + kPaletteResourceSize),
            file);
  // Every lookup finds the same read-only data.
  EXPECT_EQ(loadPalette(), palette);
}

TEST(PaletteEmbedTest, ResourceIsFoundOnlyByItsTypeAndId) {
  const platform::Resource found =
      platform::findResource(kPaletteResourceType, kPaletteResourceId);
  EXPECT_EQ(found.size, kPaletteResourceSize);
  EXPECT_EQ(platform::findResource(kPaletteResourceType, 103).data, nullptr);
  EXPECT_EQ(platform::findResource("PALETTES", kPaletteResourceId).data,
            nullptr);
}

}  // namespace
