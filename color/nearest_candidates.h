// For the cubes of a grid over CIELAB, the palette entries that can be the
// nearest one (as PaletteLab::nearest picks it) to a colour whose
// approximate CIELAB (approximate_lab.h) lies in the cube: the search for a
// colour's nearest entry looks at those alone, a handful instead of 228.
//
// The cubes are 4 Delta E wide. A cube's list is made the first time a
// colour falls in it, from the list of the 8-wide cube around it, made from
// all entries the same way. Each list is for its cube grown by
// kApproximateLabError and a margin on every side, so that it holds for the
// colour's exact CIELAB too. An entry is left out only when one that stays
// is nearer to every point of that grown cube, by more than any rounding:
//  - when it lies farther from the cube's centre than the entry nearest to
//    the centre does, by more than the cube's diagonal (the whole cube is
//    then nearer to the one at the centre); or
//  - when the cube lies wholly on the other side of the plane halfway
//    between it and the entry nearest to the centre, or the next nearest
//    (the difference of the squared distances is linear over the cube and
//    its greatest value, at one of the corners, is below 0).
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

  // The grids, empty, and the entries' CIELAB; false when the memory cannot
  // be had.
  bool allocate();

  // The cube that holds an approximate colour (to within rounding, far
  // inside the margin of its list).
  static std::uint32_t cellOf(const LabF& color) {
    const auto l = static_cast<std::uint32_t>(color.l * 0.25f + 1.0f);
    const auto a = static_cast<std::uint32_t>(color.a * 0.25f + 22.0f);
    const auto b = static_cast<std::uint32_t>(color.b * 0.25f + 28.0f);
    return (l * kCellsA + a) * kCellsB + b;
  }

  // A cube's list as a packed reference, made on first use: see groups().
  std::uint32_t list(std::uint32_t cell) {
    const std::uint32_t known = fine_[cell];
    return known != 0 ? known : makeFine(cell);
  }
  static std::uint32_t groupCount(std::uint32_t list) { return list & 63; }
  const Group* groups(std::uint32_t list) const { return &groups_[list >> 6]; }

  // An entry's CIELAB as PaletteLab has it (labFromSrgb of its colour).
  const Lab& exact(std::uint32_t entry) const { return labs_[entry]; }

 private:
  // Fine cubes: 4 wide, from L -4, a -88, b -112 (every sRGB colour, with
  // room for the approximation); coarse cubes twice as wide.
  static constexpr std::uint32_t kCellsL = 27;
  static constexpr std::uint32_t kCellsA = 47;
  static constexpr std::uint32_t kCellsB = 52;
  static constexpr std::uint32_t kCoarseL = (kCellsL + 1) / 2;
  static constexpr std::uint32_t kCoarseA = (kCellsA + 1) / 2;
  static constexpr std::uint32_t kCoarseB = (kCellsB + 1) / 2;

  std::uint32_t makeFine(std::uint32_t cell);
  std::uint32_t coarse(std::uint32_t cell);
  // The entries of candidates (count of them) that can be nearest within
  // the cube of the given low corner and width, grown by the margin; into
  // out, in order. Returns how many.
  int select(const double low[3], double width, const std::uint8_t* candidates,
             int count, std::uint8_t* out) const;

  const PaletteLab& lab_;
  Lab labs_[256] = {};
  // The entries of distinct colours, increasing.
  std::uint8_t distinct_[256] = {};
  int distinctCount_ = 0;
  // Per cube, 0 until its list is made. Fine: the first group << 6 | the
  // number of groups; coarse: the list's start in coarseEntries_ << 8 | its
  // length.
  platform::ByteBuffer fineBytes_;
  platform::ByteBuffer coarseBytes_;
  std::uint32_t* fine_ = nullptr;
  std::uint32_t* coarse_ = nullptr;
  std::vector<Group> groups_;
  std::vector<std::uint8_t> coarseEntries_;
};

#endif  // GIF2FRM_COLOR_NEAREST_CANDIDATES_H_
