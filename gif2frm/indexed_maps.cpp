#include "gif2frm/indexed_maps.h"

#include "color/color_matching.h"

void IndexedMaps::restart() {
  sharedMap_.fill(0);
  ownMap_.fill(0);
  sharedMatched_ = false;
  sharedFailed_ = false;
}

// Fills a map from a colour table by the run's matching rule; false when a
// colour has no match, and also when the table could not be had whole.
bool IndexedMaps::match(ColorMap& map, const ColorTable& table) const {
  if (table.colors == nullptr) return false;
  return buildColorMap(map, table.colors, table.count, colors_.settings());
}

bool IndexedMaps::matchShared(const ColorTable& table) {
  if (!sharedMatched_) {
    sharedMatched_ = true;
    sharedFailed_ = table.present && !match(sharedMap_, table);
  }
  return !sharedFailed_;
}

const ColorMap* IndexedMaps::mapFor(const ColorTable& ownTable) {
  if (!ownTable.present) return &sharedMap_;
  return match(ownMap_, ownTable) ? &ownMap_ : nullptr;
}
