#pragma once
#include <cstdint>
#include <filesystem>

#include "world/TMap.h"

namespace world {

// Reads the land file into World: grid rows, the four mine lines, the land blocks; then
// LandCount := 255. Sets only what the file names. On a failure what was stored stays and
// LandCount is not set. Rows past 76, characters past 110, mine cells off the map and land
// key 0 are ignored.
void ReadLandFile(TMap& World, uint8_t& LandCount, const std::filesystem::path& fileName);

}  // namespace world
