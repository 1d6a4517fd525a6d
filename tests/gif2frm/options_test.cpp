#include "gif2frm/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Parses args as argv[1..]; the last one stands for the input file.
struct Parsed {
  int result;
  Options options;
};
Parsed parse(std::vector<const char*> args) {
  args.insert(args.begin(), "gif2frm");
  Parsed parsed{0, Options{}};
  parsed.result =
      parseOptions(static_cast<int>(args.size()), args.data(), parsed.options);
  return parsed;
}

TEST(ParseOptions, DefaultsWithoutOptions) {
  for (const Parsed& parsed : {parse({}), parse({"walk.gif"})}) {
    EXPECT_EQ(parsed.result, 0);
    EXPECT_EQ(parsed.options.colorDelta, 4);
    EXPECT_TRUE(parsed.options.translateColors);
    for (int d = 0; d < kDirectionFileCount; ++d) {
      EXPECT_EQ(parsed.options.xShift[d], 0);
      EXPECT_EQ(parsed.options.yShift[d], 0);
    }
  }
}

TEST(ParseOptions, TheLastArgumentIsAlwaysTheInput) {
  // A lone -n is the input file's name, not an option.
  EXPECT_TRUE(parse({"-n"}).options.translateColors);
  // After the input name, "-n" is the input and walk.gif an unknown option.
  EXPECT_EQ(parse({"walk.gif", "-n"}).result, 1);
}

TEST(ParseOptions, ScansNumbersLikeScanf) {
  EXPECT_EQ(parse({"-d=7px", "a.gif"}).options.colorDelta, 7);
  EXPECT_EQ(parse({"-d=abc", "a.gif"}).options.colorDelta, 4);
  EXPECT_EQ(parse({"-d=", "a.gif"}).options.colorDelta, 4);
  EXPECT_EQ(parse({"-d=-", "a.gif"}).options.colorDelta, 4);
  EXPECT_EQ(parse({"-d= \t12", "a.gif"}).options.colorDelta, 12);
  EXPECT_EQ(parse({"-d=+9", "a.gif"}).options.colorDelta, 9);
  EXPECT_EQ(parse({"-d=-1", "a.gif"}).options.colorDelta, -1);
  EXPECT_EQ(parse({"-d=0", "a.gif"}).options.colorDelta, 0);
  EXPECT_EQ(parse({"-x=70000", "a.gif"}).options.xShift[0], 70000);
  EXPECT_EQ(parse({"-x=-5", "a.gif"}).options.xShift[0], -5);
  EXPECT_EQ(parse({"-y=-1", "a.gif"}).options.yShift[0], -1);
  EXPECT_EQ(parse({"-x=2147483647", "a.gif"}).options.xShift[0], 2147483647);
  EXPECT_EQ(parse({"-x=-2147483648", "a.gif"}).options.xShift[0], INT32_MIN);
  // Beyond 32 bits the digits wrap around instead of being undefined.
  EXPECT_EQ(parse({"-x=4294967297", "a.gif"}).options.xShift[0], 1);
}

TEST(ParseOptions, AFailedScanKeepsTheEarlierValue) {
  EXPECT_EQ(parse({"-d=9", "-d=abc", "a.gif"}).options.colorDelta, 9);
  EXPECT_EQ(parse({"-d=9", "-d=3", "a.gif"}).options.colorDelta, 3);
}

TEST(ParseOptions, AnythingStartingWithDashNTurnsTranslationOff) {
  EXPECT_FALSE(parse({"-n", "a.gif"}).options.translateColors);
  Parsed nope = parse({"-nope", "a.gif"});
  EXPECT_EQ(nope.result, 0);
  EXPECT_FALSE(nope.options.translateColors);
}

TEST(ParseOptions, ReportsTheFirstUnknownArgument) {
  for (const char* unknown :
       {"", "-d", "-x", "-", "-D=3", "d=3", "-y", "--n"}) {
    SCOPED_TRACE(unknown);
    EXPECT_EQ(parse({unknown, "a.gif"}).result, 1);
  }
  // Options before it are applied; those after it are not looked at.
  Parsed parsed = parse({"-d=2", "-q", "-x=5", "a.gif"});
  EXPECT_EQ(parsed.result, 2);
  EXPECT_EQ(parsed.options.colorDelta, 2);
  EXPECT_EQ(parsed.options.xShift[0], 0);
}

TEST(ParseOptions, OneShiftForEveryDirectionOrSixOfTheirOwn) {
  const Parsed one = parse({"-x=7px", "-y=-3", "a.gif"});
  const Parsed six =
      parse({"-x=0,2,4,2,0,-2", "-y=+1,-70000,3,4,5,6", "a.gif"});
  ASSERT_EQ(six.result, 0);
  const std::int32_t x[] = {0, 2, 4, 2, 0, -2};
  const std::int32_t y[] = {1, -70000, 3, 4, 5, 6};
  for (int d = 0; d < kDirectionFileCount; ++d) {
    EXPECT_EQ(one.options.xShift[d], 7);
    EXPECT_EQ(one.options.yShift[d], -3);
    EXPECT_EQ(six.options.xShift[d], x[d]);
    EXPECT_EQ(six.options.yShift[d], y[d]);
  }
  // A value without a number keeps six earlier values as they were.
  EXPECT_EQ(parse({"-x=1,2,3,4,5,6", "-x=abc", "a.gif"}).options.xShift[5], 6);
  // A single value replaces them all.
  EXPECT_EQ(parse({"-x=1,2,3,4,5,6", "-x=9", "a.gif"}).options.xShift[5], 9);
}

TEST(ParseOptions, AListOfShiftsMustBeSixWholeNumbers) {
  for (const char* bad :
       {"-x=1,2", "-x=1,2,3,4,5", "-x=1,2,3,4,5,6,7", "-x=1,2,3,4,5,",
        "-x=,1,2,3,4,5", "-y=1,2,3,4,5,6px", "-y=1,2,3, 4,5,6",
        "-x=1,2,3,4,5,2147483648", "-x=1,2,3,4,5,-", "-x=1,,3,4,5,6"}) {
    SCOPED_TRACE(bad);
    Options options;
    const char* args[] = {"gif2frm", bad, "a.gif"};
    const OptionsParse parsed = parseCommandLine(3, args, options);
    EXPECT_EQ(parsed.status, OptionStatus::BadShift);
    EXPECT_EQ(parsed.index, 1);
  }
  EXPECT_EQ(parse({"-x=1,2,3,4,5,-2147483648", "a.gif"}).options.xShift[5],
            INT32_MIN);
}

}  // namespace
