#pragma once
// The game's files as JSON, the same for the tool's read commands and the published site's data.

#include "export/Json.h"
#include "world/Palette.h"
#include "world/TMap.h"

namespace exporting {

// {"year", "playerCount", "players": [{"name", "num1", "num2", "units": [[x, y, kind], ...]}, ...]}
Json TurnJson(const world::TMap& world, int playerCount);

// {"landCount", "land": grid, "mine": grid, "lands": [{"index", "name", "income"}, ...]}
Json LandJson(const world::TMap& world, int landCount);

// {"palette": [[red, green, blue], ...]} for players 1..27.
Json PaletteJson(const world::TPalette& palette);

// One array per row, y = 1 first, of the number `field` picks from each cell.
Json CellGridJson(const world::TMap& world, uint8_t world::TCell::*field);

// A land the land file named: it has a name or an income; the others are the table's empty entries.
inline bool IsNamedLand(const world::zemla& land) { return !land.name.empty() || land.income != 0; }

}  // namespace exporting
