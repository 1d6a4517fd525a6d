// For the cubes of a grid over CIELAB, the palette entries that can be the
// nearest one (as PaletteLab::nearest picks it) to a colour whose
// approximate CIELAB (approximate_lab.h) lies in the cube: the search for a
// colour's nearest entry looks at those alone, a handful instead of 228.
//
// The cubes are 8 Delta E wide; one whose list is longer than eight entries
// is cut into cubes 4 wide. Each list is made the first time a colour falls
// in its cube, from the list of the cube twice as wide around it (16 wide:
// from all entries). A list is for its cube grown by kApproximateLabError
// and a margin on every side, so that it holds for the colour's exact
// CIELAB too. An entry is left out only when an entry that stays is nearer
// to every point of that grown cube, by more than any rounding:
//  - when it lies farther from the cube's centre than the entry nearest to
//    the centre does, by more than the cube's diagonal (the whole cube is
//    then nearer to the one at the centre); or
//  - when the cube lies wholly on the other side of the plane halfway
//    between it and another entry (the difference of the squared distances
//    is linear over the cube, and its greatest value, at the corner that
//    the signs pick, is below 0). Entries are tried against the two nearest
//    to the centre, and in the cubes that colours are matched in, against
//    every entry kept: nearest to the centre first, as one nearer than
//    another everywhere is nearer at the centre too, so that one left out
//    always has one kept that is nearer everywhere.
// Of entries of the same colour only the lowest is kept: the later ones are
// never nearest, as ties go to the lower index. Lists keep entries in
// increasing order.
#ifndef GIF2FRM_COLOR_NEAREST_CANDIDATES_H_
#define GIF2FRM_COLOR_NEAREST_CANDIDATES_H_

#include <cstdint>
#include <vector>

#include "color/approximate_lab.h"
#include "color/cielab.h"
#include "color/palette_lab.h"
#include "platform/byte_buffer.h"

class NearestCandidates {
 public:
  // Four entries' CIELAB in single precision, component by component, and
  // their indices; a list's last group is filled up with index 0, placed so
  // far away (kFar) that it is never nearest.
  struct alignas(64) Group {
    float l[4];
    float a[4];
    float b[4];
    std::uint32_t entries[4];
  };
  static constexpr float kFar = 1e4f;

  // lab must outlive this object.
  explicit NearestCandidates(const PaletteLab& lab);
  NearestCandidates(const NearestCandidates&) = delete;
  NearestCandidates& operator=(const NearestCandidates&) = delete;

  // The grid, empty, and the entries' CIELAB; false when the memory cannot
  // be had.
  bool allocate();

  // The list for an approximate colour, made on first use: its first group
  // << 6 | how many groups.
  std::uint32_t list(const LabF& color) {
    const std::uint32_t known = cubes_[cubeOf(color)];
    if (groupCount(known) != 0) return known;
    if (known != 0) {
      // Cut into eight: the list of the one that holds the colour.
      const std::uint32_t fine = eighths_[known >> 6 | eighthOf(color)];
      if (fine != 0) return fine;
    }
    return listSlowly(color);
  }
  static std::uint32_t groupCount(std::uint32_t list) { return list & 63; }
  const Group* groups(std::uint32_t list) const { return &groups_[list >> 6]; }

  // An entry's CIELAB as PaletteLab has it (labFromSrgb of its colour).
  const Lab& exact(std::uint32_t entry) const { return labs_[entry]; }

  // The grid: cubes 8 wide from L -4, a -88, b -112, which hold every sRGB
  // colour with room for the approximation; the cube that holds a colour,
  // to within rounding, far inside the margin of its list.
  static constexpr std::uint32_t kCubesL = 14;
  static constexpr std::uint32_t kCubesA = 24;
  static constexpr std::uint32_t kCubesB = 26;
  static std::uint32_t cubeOf(const LabF& color) {
    const auto l = static_cast<std::uint32_t>(color.l * 0.125f + 0.5f);
    const auto a = static_cast<std::uint32_t>(color.a * 0.125f + 11.0f);
    const auto b = static_cast<std::uint32_t>(color.b * 0.125f + 14.0f);
    return (l * kCubesA + a) * kCubesB + b;
  }
  // Which eighth of its cube (4 wide) holds a colour, to within rounding:
  // bits 2, 1, 0 for the upper half of L, a, b.
  static std::uint32_t eighthOf(const LabF& color) {
    const auto l = static_cast<std::uint32_t>(color.l * 0.25f + 1.0f);
    const auto a = static_cast<std::uint32_t>(color.a * 0.25f + 22.0f);
    const auto b = static_cast<std::uint32_t>(color.b * 0.25f + 28.0f);
    return (l & 1) << 2 | (a & 1) << 1 | (b & 1);
  }

 private:
  // The cubes of a grid: per cube 0 until its list is made.
  struct Level {
    std::uint32_t cellsL;
    std::uint32_t cellsA;
    std::uint32_t cellsB;
    platform::ByteBuffer bytes;
    std::uint32_t* cells;
  };

  std::uint32_t listSlowly(const LabF& color);
  // The entries of a cube of the grid at (l, a, b), made on first use: its
  // list's start in entries_ (its length, then the list).
  std::uint32_t cubeEntries(std::uint32_t l, std::uint32_t a, std::uint32_t b);
  // The same for the 16-wide cubes.
  std::uint32_t wideEntries(std::uint32_t l, std::uint32_t a, std::uint32_t b);
  // A list kept from candidates (count of them, increasing) for the cube of
  // the given low corner and width: into entries_; returns its start.
  std::uint32_t keep(const double low[3], double width,
                     std::uint32_t candidates, bool thorough);
  // A list's entries as groups; returns the list as list() does.
  std::uint32_t grouped(std::uint32_t start);

  const PaletteLab& lab_;
  Lab labs_[256] = {};
  double squares_[256] = {};  // |lab|^2 of each entry
  // Lists of entries, each its length, then the entries. The first is all
  // the entries of distinct colours.
  std::vector<std::uint8_t> entries_;
  // 8-wide cubes: the list as list() gives it, 0 (none yet), or where the
  // cube is cut, the start of its eighths' lists in eighths_ << 6 (0 until
  // made); their entries; 16-wide cubes' entries.
  platform::ByteBuffer cubeBytes_;
  std::uint32_t* cubes_ = nullptr;
  Level cubeLists_ = {};
  Level wide_ = {};
  std::vector<std::uint32_t> eighths_;
  std::vector<Group> groups_;
};

#endif  // GIF2FRM_COLOR_NEAREST_CANDIDATES_H_
