#pragma once
// The world record: the map grid, the land table, the player table and the year.
// Tables keep the game's 1-based numbering; slot 0 of each array is unused.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace world {

constexpr int MapWidth = 110;      // columns x = 1..110
constexpr int MapHeight = 76;      // rows y = 1..76
constexpr int MaxLands = 255;      // land indexes 1..255
constexpr int MaxPlayers = 27;     // players 1..27
constexpr int MaxUnits = 127;      // units 1..127 per player
constexpr int MaxNameLength = 16;  // player names, in bytes
constexpr int KindCount = 19;      // unit kinds 1..19
constexpr int MineKindCount = 4;   // cell mine kinds 1..4

constexpr int FirstBuildingKind = 11;
constexpr int FirstMineUnitKind = 16;

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
inline bool IsTroop(int kind) { return kind <= 10; }
inline bool IsBuilding(int kind) { return kind >= FirstBuildingKind && kind < FirstMineUnitKind; }
inline bool IsMineUnit(int kind) { return kind >= FirstMineUnitKind; }

// The one-letter code of each unit kind, as a Windows-1251 byte; entry 0 is unused.
// Case matters ("З" 13 castle, "з" 7 zombie), and 16..19 are the Latin C, S, G, M.
inline constexpr std::array<uint8_t, KindCount + 1> UnitLetters = {
    0,    0xE3, 0xE2, 0xFD, 0xEE, 0xF0, 0xEC, 0xE7, 0xE4, 0xEB, 0xF4,
    0xCA, 0xC3, 0xC7, 0xCF, 0xC1, 'C',  'S',  'G',  'M'};

// The kind whose letter is this byte, or 0 when it is no kind letter.
inline int KindOfLetter(uint8_t letter) {
  for (int k = 1; k <= KindCount; ++k)
    if (UnitLetters[k] == letter) return k;
  return 0;
}

// The legend word of each unit kind, as the turn file's legend line gives it, UTF-8 for display;
// entry 0 is unused.
inline const std::array<const char*, KindCount + 1> UnitLegendWords = {
    "",         "гном",     "варвар", "эльф",   "орк",    "рыцарь", "маг",
    "зомби",    "дракон",   "личное войско",    "корабь(флот)",     "крепость",
    "город",    "замок",    "поместье",         "башня",  "медь",   "серебро",
    "золото",   "мифрил"};

// The legend word of a kind; a kind that no legend names shows its number.
inline std::string KindLegendWord(int kind) {
  if (kind >= 1 && kind <= KindCount) return UnitLegendWords[size_t(kind)];
  return "вид " + std::to_string(kind);
}

// Units by group: troops (kinds 1..10), buildings (11..15) and mines (16..19); units of a kind
// no legend names belong to none.
struct GroupCounts {
  int troops = 0, buildings = 0, mines = 0;
  int Total() const { return troops + buildings + mines; }
  GroupCounts& operator+=(const GroupCounts& more) {
    troops += more.troops, buildings += more.buildings, mines += more.mines;
    return *this;
  }
  bool operator==(const GroupCounts&) const = default;
};

inline GroupCounts CountGroups(const TPlayer& player) {
  GroupCounts counts;
  for (int u = 1; u <= std::min<int>(player.count, MaxUnits); ++u) {
    const int kind = player.units[size_t(u)].kind;
    if (kind >= 1 && kind < FirstBuildingKind) ++counts.troops;
    if (IsBuilding(kind)) ++counts.buildings;
    if (kind >= FirstMineUnitKind && kind <= KindCount) ++counts.mines;
  }
  return counts;
}

// Names of the cell mine kinds, UTF-8 for display; entry 0 is unused.
inline const std::array<const char*, MineKindCount + 1> MineNames = {"", "Серебряный", "Золотой",
                                                                     "Мифриловый", "Драконий"};

}  // namespace world
