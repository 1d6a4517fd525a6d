#include "palette_design.h"

#include <cstdlib>
#include <initializer_list>

namespace palette_tool {
namespace {

constexpr Rgb kNoColor{255, 255, 255};

// a + (b - a) * num / den, rounded half away from zero, in integers so that
// the palette comes out the same on every compiler.
int lerp(int a, int b, int num, int den) {
  const int scaled = (b - a) * num;
  const int half = den / 2;
  const int step =
      scaled >= 0 ? (scaled + half) / den : -((-scaled + half) / den);
  return a + step;
}

class Builder {
 public:
  Builder() { design_.entries.fill(kNoColor); }

  // Appends count entries that run through the key colours, evenly spaced:
  // the first entry is the first key, the last entry the last key. Runs
  // darken step by step, so artists can shade with neighbouring indices.
  void run(const char* name, std::initializer_list<Rgb> keys, int count) {
    const std::vector<Rgb> k(keys);
    const int segments = static_cast<int>(k.size()) - 1;
    const int den = count - 1;
    const int first = next_;
    for (int i = 0; i < count; ++i) {
      const int num = i * segments;
      const int seg = num / den;
      if (seg >= segments) {
        put(k.back());
        continue;
      }
      const int rem = num % den;
      const Rgb& a = k[seg];
      const Rgb& b = k[seg + 1];
      put(Rgb{lerp(a.r, b.r, rem, den), lerp(a.g, b.g, rem, den),
              lerp(a.b, b.b, rem, den)});
    }
    design_.runs.push_back(NamedRun{name, first, next_ - 1, true});
  }

  // Appends hand-placed colours that are not shades of one another.
  void list(const char* name, std::initializer_list<Rgb> colors) {
    const int first = next_;
    for (const Rgb& c : colors) put(c);
    design_.runs.push_back(NamedRun{name, first, next_ - 1, false});
  }

  // Continues the run appended last with hand-placed colours.
  void extend(std::initializer_list<Rgb> colors) {
    for (const Rgb& c : colors) put(c);
    design_.runs.back().last = next_ - 1;
  }

  int next() const { return next_; }

  PaletteDesign finish() {
    if (next_ != 229) {
      // A miscounted run would shift every fixed index after it.
      std::abort();
    }
    return design_;
  }

 private:
  void put(const Rgb& c) {
    if (next_ > 228) std::abort();
    design_.entries[static_cast<std::size_t>(next_++)] = c;
  }

  PaletteDesign design_;
  int next_ = 1;
};

}  // namespace

PaletteDesign designPalette() {
  Builder p;
  // 1..15: neutral greys, 8 being the middle grey (32,32,32).
  p.run("grey", {{59, 59, 59}, {32, 32, 32}, {8, 8, 8}}, 15);
  // 16..30: light skin, from a pale pink highlight to a deep shadow.
  p.run("light skin", {{63, 59, 59}, {61, 48, 39}, {50, 34, 24}, {20, 11, 6}},
        15);
  // 31..45: browns for hair, wood and leather.
  p.run("brown", {{54, 42, 28}, {40, 27, 15}, {12, 7, 3}}, 15);
  // 46..60: oranges.
  p.run("orange", {{63, 50, 30}, {63, 38, 10}, {48, 22, 2}, {22, 8, 0}}, 15);
  // 61..75: yellows and golds.
  p.run("yellow", {{63, 63, 44}, {63, 58, 16}, {50, 42, 6}, {22, 17, 0}}, 15);
  // 76..85: olive and khaki.
  p.run("olive", {{50, 50, 34}, {36, 38, 18}, {14, 16, 5}}, 10);
  // 86..100: muted greens, ending in the near-blacks 98 (2,7,1) and
  // 100 (1,3,0). Everything before 98 keeps a component sum above 10, so
  // dark GIF colours find these before the true blacks further on.
  p.run("green", {{40, 52, 34}, {20, 36, 16}, {4, 11, 3}}, 12);
  p.extend({{2, 7, 1}, {2, 5, 0}, {1, 3, 0}});
  // 101..115: muted blues; saturated blue stays out of the palette.
  p.run("blue", {{46, 52, 60}, {24, 34, 50}, {4, 8, 20}}, 15);
  // 116..125: slate, a cool blue-grey for stone and metal.
  p.run("slate", {{44, 46, 50}, {10, 12, 16}}, 10);
  // 126..140: reds, pure red (63,0,0) at 133 in the middle.
  p.run("red", {{63, 51, 51}, {63, 0, 0}, {16, 0, 0}}, 15);
  // 141..155: purples.
  p.run("purple", {{54, 44, 60}, {36, 20, 44}, {10, 3, 14}}, 15);
  // 156..170: dark skin.
  p.run("dark skin", {{50, 34, 26}, {36, 22, 15}, {14, 7, 4}}, 15);
  // 171..185: teals.
  p.run("teal", {{40, 56, 52}, {14, 36, 34}, {2, 12, 12}}, 15);
  // 186..192: rose pinks.
  p.run("pink", {{63, 46, 52}, {44, 20, 28}}, 7);
  // 193..207: warm greys, down to the near-black 207 (3,3,3).
  p.run("warm grey", {{54, 52, 48}, {28, 26, 23}, {3, 3, 3}}, 15);
  // 208..219: fire and glow, from white-hot yellow to embers.
  p.run("fire", {{63, 63, 48}, {63, 50, 18}, {63, 32, 0}, {44, 8, 0}}, 12);
  // 220: white. It comes after every colour within 4 of it, so light GIF
  // colours land on a hue before they land on plain white.
  p.list("white", {{63, 63, 63}});
  // 221..227: strong signal colours for effects and interface marks; kept
  // more than 10 away from pure green and pure blue.
  p.list("signal", {{63, 63, 0},
                    {0, 63, 63},
                    {63, 0, 63},
                    {0, 42, 0},
                    {0, 0, 44},
                    {42, 0, 42},
                    {0, 24, 48}});
  // 228: black, last, so that black matches it only with a delta of 0.
  p.list("black", {{0, 0, 0}});
  return p.finish();
}

std::string runNameOf(const PaletteDesign& design, int index) {
  for (const NamedRun& run : design.runs) {
    if (index >= run.first && index <= run.last) return run.name;
  }
  return "";
}

}  // namespace palette_tool
