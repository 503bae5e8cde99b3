#pragma once
// The land file's contents as JSON, the same for the tool's `land` and the published site's data.

#include <string>

#include "export/Json.h"
#include "world/TMap.h"

namespace exporting {

// One array per row, y = 1 first, of the number `field` picks from each cell.
template <typename Field>
std::string CellGridJson(const world::TMap& World, Field field) {
  JsonArray rows;
  for (int y = 1; y <= world::MapHeight; ++y) {
    JsonArray row;
    for (int x = 1; x <= world::MapWidth; ++x) row.Add(field(World.cells[x][y]));
    rows.Add(row.str());
  }
  return rows.str();
}

// A land the land file named: it has a name or an income; the others are the table's empty entries.
inline bool IsNamedLand(const world::zemla& land) { return !land.name.empty() || land.income != 0; }

}  // namespace exporting
