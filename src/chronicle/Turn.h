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

// Units by group: troops (kinds 1..10), buildings (11..15) and mines (16..19).
struct GroupCounts {
  int troops = 0, buildings = 0, mines = 0;
  int Total() const { return troops + buildings + mines; }
  bool operator==(const GroupCounts&) const = default;
};
GroupCounts CountGroups(const world::TPlayer& player);

}  // namespace chronicle
