#include "gif2frm/natural_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string> sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end(), naturalLess);
  return names;
}

TEST(NaturalOrder, NumbersByValueTheRestByByte) {
  EXPECT_EQ(sorted({"walk10.png", "walk2.png", "walk1.png", "walk02.png"}),
            (std::vector<std::string>{"walk1.png", "walk02.png", "walk2.png",
                                      "walk10.png"}));
  EXPECT_EQ(sorted({"b1", "a10", "a9", "A9", "a9b", "a"}),
            (std::vector<std::string>{"A9", "a", "a9", "a9b", "a10", "b1"}));
  // Numbers longer than any integer type still compare by value.
  EXPECT_TRUE(naturalLess("f99999999999999999999", "f100000000000000000000"));
  EXPECT_TRUE(naturalLess("f0000000000000000000001", "f2"));
  // Names equal by value: byte order, so that the order is total.
  EXPECT_TRUE(naturalLess("walk01", "walk1"));
  EXPECT_FALSE(naturalLess("walk1", "walk01"));
  EXPECT_FALSE(naturalLess("same", "same"));
  // Bytes above 127 sort after ASCII, as in byte order.
  EXPECT_TRUE(naturalLess("z", "\xc3\xa9"));
}

}  // namespace
