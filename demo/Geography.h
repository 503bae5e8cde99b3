#pragma once
// The demo world's geography: a continent with islands, cut into named lands and seas, with
// cell mines. Everything follows from fixed seeds, so every build makes the same world.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "world/TMap.h"

namespace demo {

struct Region {
  uint8_t key = 0;   // the land index, which is also the character of its cells in the land file
  std::string name;  // UTF-8
  int32_t income = 0;
  bool sea = false;
  bool lake = false;  // a water the seas do not reach
  int cellCount = 0;
  int interiorX = 0;  // the cell farthest from the region's edge
  int interiorY = 0;
};

struct Geography {
  world::TMap world;            // cells (land, mine) and the land table, names in Windows-1251
  std::vector<Region> regions;  // lands first, then waters, each in key order
  std::array<int16_t, 256> regionOfKey;  // index into regions by key, -1 for none: IndexRegions

  // Fills regionOfKey from regions, once they are all there.
  void IndexRegions();
  const Region& RegionAt(int x, int y) const;
  bool IsSea(int x, int y) const { return RegionAt(x, y).sea; }
  // True when the cell or one of its eight neighbours is land, resp. sea.
  bool TouchesSea(int x, int y) const;
  bool TouchesLand(int x, int y) const;
  int LandCount() const;
};

Geography MakeGeography();

}  // namespace demo
