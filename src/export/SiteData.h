#pragma once
// The data of a published site, as the page reads it: what every year shares, and each year's
// units and changes. Each file is one JSON value wrapped in a call of the page's, so that a page
// opened from a file can load it as a script.

#include <string>
#include <vector>

#include "chronicle/Turn.h"
#include "world/Palette.h"

namespace exporting {

// The turns of a site, in order of year (no two of one year).
using Years = std::vector<chronicle::Turn>;

struct SiteWorld {
  std::string title;  // UTF-8
  const world::TMap* land = nullptr;  // cells and lands, as start-up read them
  const world::TPalette* palette = nullptr;
  int mapWidth = 0, mapHeight = 0;  // of each year's picture, in pixels
  int cellSize = 0;
};

// Where year `year`'s picture and data lie in the site: "maps/17.png" and "data/17.js".
std::string MapFileName(int32_t year);
std::string DataFileName(int32_t year);

// data/epoch.js: the map's geometry, kinds, land grid, cell mines, lands, player colours and
// every year with its picture, data file and each player's units by group and kind.
std::string EpochScript(const SiteWorld& world, const Years& years);

// data/<year>.js of years[index]: its players' units and its changes against the year before.
std::string YearScript(const Years& years, size_t index);

}  // namespace exporting
