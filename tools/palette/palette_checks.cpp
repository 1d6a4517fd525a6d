#include "palette_checks.h"

#include <cstdlib>
#include <set>
#include <sstream>
#include <tuple>

namespace palette_tool {
namespace {

std::string str(const Rgb& c) {
  std::ostringstream out;
  out << '(' << c.r << ',' << c.g << ',' << c.b << ')';
  return out.str();
}

const Rgb& entry(const PaletteDesign& design, int index) {
  return design.entries[static_cast<std::size_t>(index)];
}

void checkLayout(const PaletteDesign& design,
                 std::vector<std::string>& errors) {
  const Rgb none{255, 255, 255};
  if (!(entry(design, 0) == none))
    errors.push_back("entry 0 is not 255,255,255");
  for (int i = 229; i < 256; ++i) {
    if (!(entry(design, i) == none)) {
      errors.push_back("entry " + std::to_string(i) + " is not 255,255,255");
    }
  }
  std::set<std::tuple<int, int, int>> seen;
  for (int i = 1; i <= 228; ++i) {
    const Rgb& c = entry(design, i);
    if (c.r < 0 || c.r > 63 || c.g < 0 || c.g > 63 || c.b < 0 || c.b > 63) {
      errors.push_back("entry " + std::to_string(i) + " " + str(c) +
                       " is not 6-bit");
    }
    if (!seen.insert({c.r, c.g, c.b}).second) {
      errors.push_back("entry " + std::to_string(i) + " " + str(c) +
                       " repeats an earlier entry");
    }
  }
}

void checkFixedEntries(const PaletteDesign& design,
                       std::vector<std::string>& errors) {
  struct Fixed {
    int index;
    Rgb color;
  };
  const Fixed fixed[] = {
      {1, {59, 59, 59}},   {8, {32, 32, 32}},   {15, {8, 8, 8}},
      {16, {63, 59, 59}},  {98, {2, 7, 1}},     {100, {1, 3, 0}},
      {126, {63, 51, 51}}, {133, {63, 0, 0}},   {140, {16, 0, 0}},
      {207, {3, 3, 3}},    {220, {63, 63, 63}}, {228, {0, 0, 0}},
  };
  for (const Fixed& f : fixed) {
    if (!(entry(design, f.index) == f.color)) {
      errors.push_back("entry " + std::to_string(f.index) + " is " +
                       str(entry(design, f.index)) + ", must be " +
                       str(f.color));
    }
  }
  for (int i = 1; i <= 15; ++i) {
    const Rgb& c = entry(design, i);
    if (c.r != c.g || c.g != c.b) {
      errors.push_back("entry " + std::to_string(i) + " is not a grey");
    }
  }
  for (int i = 126; i <= 140; ++i) {
    const Rgb& c = entry(design, i);
    if (c.r < c.g || c.g != c.b) {
      errors.push_back("entry " + std::to_string(i) + " is not a red");
    }
  }
}

// Each run must get darker from one entry to the next.
void checkRunsDarken(const PaletteDesign& design,
                     std::vector<std::string>& errors) {
  for (const NamedRun& run : design.runs) {
    if (!run.shades) continue;
    for (int i = run.first + 1; i <= run.last; ++i) {
      const Rgb& a = entry(design, i - 1);
      const Rgb& b = entry(design, i);
      if (b.r + b.g + b.b >= a.r + a.g + a.b) {
        errors.push_back("run " + run.name + " does not darken at entry " +
                         std::to_string(i));
      }
    }
  }
}

// The matches that converted GIFs rely on: which entry black, white, red and
// the greys become at the deltas artists use.
void checkMatches(const PaletteDesign& design,
                  std::vector<std::string>& errors) {
  struct Case {
    int red, green, blue, delta, expected;
  };
  const Case cases[] = {
      {0, 0, 0, 4, 100},       {0, 0, 0, 0, 228},       {0, 0, 0, 10, 98},
      {3, 3, 3, 4, 100},       {3, 3, 3, 0, 228},       {3, 3, 3, 10, 98},
      {4, 4, 4, 0, 0},         {4, 4, 4, 4, 100},       {255, 255, 255, 4, 220},
      {252, 252, 252, 4, 220}, {255, 255, 255, 10, 16}, {252, 252, 252, 10, 16},
      {236, 236, 236, 0, 1},   {236, 236, 236, 4, 1},   {240, 240, 240, 0, 0},
      {240, 240, 240, 4, 1},   {255, 0, 0, 4, 133},     {128, 128, 128, 4, 8},
      {0, 255, 0, 4, 0},       {0, 255, 0, 10, 0},      {0, 0, 255, 4, 0},
      {0, 0, 255, 10, 0},      {0, 0, 0, -1, 0},        {236, 236, 236, -1, 0},
  };
  for (const Case& c : cases) {
    const int got = firstMatch(design, c.red, c.green, c.blue, c.delta);
    if (got != c.expected) {
      errors.push_back("colour " + str(Rgb{c.red, c.green, c.blue}) +
                       " with delta " + std::to_string(c.delta) + " matches " +
                       std::to_string(got) + ", must match " +
                       std::to_string(c.expected));
    }
  }
  // Entry 1 must be the first match of every colour at delta 177.
  for (int r = 0; r < 64; ++r) {
    for (int g = 0; g < 64; ++g) {
      for (int b = 0; b < 64; ++b) {
        if (firstMatch(design, r * 4, g * 4, b * 4, 177) != 1) {
          errors.push_back("colour " + str(Rgb{r, g, b}) +
                           " is not within 177 of entry 1");
          return;
        }
      }
    }
  }
}

}  // namespace

int firstMatch(const PaletteDesign& design, int red, int green, int blue,
               int delta) {
  const int r = red / 4;
  const int g = green / 4;
  const int b = blue / 4;
  for (int j = 1; j <= 228; ++j) {
    const Rgb& c = entry(design, j);
    const int d = std::abs(r - c.r) + std::abs(g - c.g) + std::abs(b - c.b);
    if (d <= delta) return j;
  }
  return 0;
}

std::vector<std::string> checkPalette(const PaletteDesign& design) {
  std::vector<std::string> errors;
  checkLayout(design, errors);
  checkFixedEntries(design, errors);
  checkRunsDarken(design, errors);
  checkMatches(design, errors);
  return errors;
}

}  // namespace palette_tool
