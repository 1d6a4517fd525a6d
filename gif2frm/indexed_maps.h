// The colour maps of one image's conversion, for pixels that are indices
// into colour tables: the map of the table the image's frames share, and the
// map of a frame's own table. A frame's own table that is smaller than the
// one before it leaves the map holding that table's entries above its count,
// and the shared map is 0 where the shared table has no entry: GIF images
// whose indices go past their table's count keep mapping as they always
// have.
#ifndef GIF2FRM_CONVERTER_INDEXED_MAPS_H_
#define GIF2FRM_CONVERTER_INDEXED_MAPS_H_

#include "color/color_map.h"
#include "gif2frm/run_colors.h"
#include "gif2frm/source_image.h"

class IndexedMaps {
 public:
  // colors must outlive this object.
  explicit IndexedMaps(const RunColors& colors) : colors_(colors) {}
  IndexedMaps(const IndexedMaps&) = delete;
  IndexedMaps& operator=(const IndexedMaps&) = delete;

  // Ready for the next image: both maps 0 in every entry, nothing matched.
  void restart();

  // Matches the shared table, once per image: later calls return the first
  // call's answer without matching again. False when a colour has no match.
  bool matchShared(const ColorTable& table);
  // The map of a frame's pixels: its own table matched into the own map
  // when present, else the shared map. Null when a colour of its own table
  // has no match.
  const ColorMap* mapFor(const ColorTable& ownTable);

 private:
  bool match(ColorMap& map, const ColorTable& table) const;

  const RunColors& colors_;
  ColorMap sharedMap_{};
  ColorMap ownMap_{};
  bool sharedMatched_ = false;
  bool sharedFailed_ = false;
};

#endif  // GIF2FRM_CONVERTER_INDEXED_MAPS_H_
