#pragma once
// The world record: the map grid, the land table, the player table and the year.
// Tables keep the game's 1-based numbering; slot 0 of each array is unused.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "world/UnitKind.h"

namespace world {

constexpr int MapWidth = 110;      // columns x = 1..110
constexpr int MapHeight = 76;      // rows y = 1..76
constexpr int MaxLands = 255;      // land indexes 1..255
constexpr int MaxPlayers = 27;     // players 1..27
constexpr int MaxUnits = 127;      // units 1..127 per player
constexpr int MaxNameLength = 16;  // player names, in bytes
constexpr int MineKindCount = 4;   // cell mine kinds 1..4

struct TCell {
  uint8_t land = 0;  // index into lands; 0 = no land
  uint8_t mine = 0;  // cell mine kind 1..4; 0 = none
  bool operator==(const TCell&) const = default;
};

struct zemla {
  std::string name;  // Windows-1251 bytes, as read
  int32_t income = 0;
  bool operator==(const zemla&) const = default;
};

struct TUnit {
  uint8_t x = 0;  // 0 while the unit is held by the mouse
  uint8_t y = 0;
  uint8_t kind = 0;
  bool operator==(const TUnit&) const = default;
};

struct TPlayer {
  std::string name;                      // at most MaxNameLength Windows-1251 bytes
  std::array<TUnit, MaxUnits + 1> units{};  // entries 1..count are in use
  uint8_t num1 = 0;
  uint8_t count = 0;
  uint8_t num2 = 0;
  // Stale entries past count take part too: equal players are equal byte for byte.
  bool operator==(const TPlayer&) const = default;
};

struct TMap {
  // cells[x][y], x = 1..MapWidth, y = 1..MapHeight.
  std::array<std::array<TCell, MapHeight + 1>, MapWidth + 1> cells{};
  std::array<zemla, MaxLands + 1> lands{};
  std::array<TPlayer, MaxPlayers + 1> players{};
  int32_t Year = 0;
  bool operator==(const TMap&) const = default;
};

inline bool IsOnMap(int x, int y) { return x >= 1 && x <= MapWidth && y >= 1 && y <= MapHeight; }

// Units by group (GroupOf); units of a kind no legend names belong to none.
struct GroupCounts {
  int troops = 0, buildings = 0, mines = 0;
  int Total() const { return troops + buildings + mines; }
  GroupCounts& operator+=(const GroupCounts& more) {
    troops += more.troops, buildings += more.buildings, mines += more.mines;
    return *this;
  }
  bool operator==(const GroupCounts&) const = default;
};

// Calls fn(u, unit) for units 1..count of `player`, in list order; a count past the table's
// size reaches its end.
template <typename Fn>
void ForEachUnitOf(const TPlayer& player, Fn&& fn) {
  for (int u = 1; u <= std::min<int>(player.count, MaxUnits); ++u) fn(u, player.units[size_t(u)]);
}

// Calls fn(p, u, unit) for the units of players 1..playerCount, player by player, each player's
// in list order, as they stand in a turn file.
template <typename Fn>
void ForEachUnit(const TMap& World, int playerCount, Fn&& fn) {
  for (int p = 1; p <= std::min(playerCount, MaxPlayers); ++p)
    ForEachUnitOf(World.players[size_t(p)], [&](int u, const TUnit& unit) { fn(p, u, unit); });
}

inline GroupCounts CountGroups(const TPlayer& player) {
  GroupCounts counts;
  ForEachUnitOf(player, [&](int, const TUnit& unit) {
    switch (GroupOf(unit.kind)) {
      case KindGroup::Troop: ++counts.troops; break;
      case KindGroup::Building: ++counts.buildings; break;
      case KindGroup::Mine: ++counts.mines; break;
      case KindGroup::None: break;
    }
  });
  return counts;
}

// Names of the cell mine kinds, UTF-8 for display; entry 0 is unused.
inline const std::array<const char*, MineKindCount + 1> MineNames = {"", "Серебряный", "Золотой",
                                                                     "Мифриловый", "Драконий"};

}  // namespace world
