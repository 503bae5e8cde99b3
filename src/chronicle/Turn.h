#pragma once
// A turn as the chronicle reads it: the world record after a turn file, with its player count.

#include <cstdint>
#include <filesystem>
#include <memory>

#include "world/TMap.h"

namespace chronicle {

struct Turn {
  std::unique_ptr<world::TMap> world = std::make_unique<world::TMap>();
  uint8_t playerCount = 0;
};

// Reads a turn file as the editor does. Throws world::FileError.
Turn ReadTurn(const std::filesystem::path& path);

using world::CountGroups;
using world::GroupCounts;

}  // namespace chronicle
