#pragma once
// Unit kinds: their names, their group, the letter a turn file writes for them and the word its
// legend line gives them, all in one table.

#include <cstdint>
#include <iterator>
#include <string>

namespace world {

// A unit keeps its kind as the byte it was read as (TUnit::kind), so any byte is a kind; these
// name the ones the game knows. Unscoped, so that a name stands for its byte without a cast.
enum UnitKind : uint8_t {
  NoKind = 0,  // what a first unit line without a kind letter gives its units
  Dwarf, Barbarian, Elf, Orc, Knight, Mage, Zombie, Dragon, Guard, Ship,
  Fortress, City, Castle, Estate, Tower,
  Copper, Silver, Gold, Mithril,
};

enum class KindGroup : uint8_t { None, Troop, Building, Mine };

struct KindInfo {
  KindGroup group;
  uint8_t letter;          // Windows-1251 byte that starts the kind's unit lines; 0 for none
  const char* legendWord;  // UTF-8, as the turn file's legend line gives it
};

// Entry k describes kind k. Case matters among the letters ("З" 13 castle, "з" 7 zombie), and
// the mines' are the Latin C, S, G, M.
inline constexpr KindInfo KindTable[] = {
    {KindGroup::None, 0, ""},
    {KindGroup::Troop, 0xE3, "гном"},
    {KindGroup::Troop, 0xE2, "варвар"},
    {KindGroup::Troop, 0xFD, "эльф"},
    {KindGroup::Troop, 0xEE, "орк"},
    {KindGroup::Troop, 0xF0, "рыцарь"},
    {KindGroup::Troop, 0xEC, "маг"},
    {KindGroup::Troop, 0xE7, "зомби"},
    {KindGroup::Troop, 0xE4, "дракон"},
    {KindGroup::Troop, 0xEB, "личное войско"},
    {KindGroup::Troop, 0xF4, "корабь(флот)"},
    {KindGroup::Building, 0xCA, "крепость"},
    {KindGroup::Building, 0xC3, "город"},
    {KindGroup::Building, 0xC7, "замок"},
    {KindGroup::Building, 0xCF, "поместье"},
    {KindGroup::Building, 0xC1, "башня"},
    {KindGroup::Mine, 'C', "медь"},
    {KindGroup::Mine, 'S', "серебро"},
    {KindGroup::Mine, 'G', "золото"},
    {KindGroup::Mine, 'M', "мифрил"},
};

constexpr int KindCount = int(std::size(KindTable)) - 1;  // unit kinds 1..19
static_assert(KindCount == Mithril);

// What the table says of `kind`; a kind it does not list has no group, letter or word.
constexpr const KindInfo& InfoOfKind(int kind) { return KindTable[kind >= 1 && kind <= KindCount ? kind : 0]; }

constexpr KindGroup GroupOf(int kind) { return InfoOfKind(kind).group; }
constexpr bool IsKnownKind(int kind) { return GroupOf(kind) != KindGroup::None; }
constexpr bool IsTroop(int kind) { return GroupOf(kind) == KindGroup::Troop; }
constexpr bool IsBuilding(int kind) { return GroupOf(kind) == KindGroup::Building; }
constexpr bool IsMineUnit(int kind) { return GroupOf(kind) == KindGroup::Mine; }

// The first kind of a group. The groups follow each other in kind order, and the icon sheets
// are laid out by them: troops and buildings in one, mines in the other.
constexpr int FirstKindOf(KindGroup group) {
  for (int k = 1; k <= KindCount; ++k)
    if (KindTable[k].group == group) return k;
  return 0;
}
constexpr int FirstBuildingKind = FirstKindOf(KindGroup::Building);
constexpr int FirstMineUnitKind = FirstKindOf(KindGroup::Mine);
static_assert(FirstKindOf(KindGroup::Troop) == 1 && FirstBuildingKind == Fortress && FirstMineUnitKind == Copper);

// The kind whose letter is this byte, or 0 when it is no kind letter.
constexpr int KindOfLetter(uint8_t letter) {
  for (int k = 1; k <= KindCount; ++k)
    if (KindTable[k].letter == letter) return k;
  return 0;
}

// The legend word of a kind; a kind that no legend names shows its number.
inline std::string KindLegendWord(int kind) {
  if (IsKnownKind(kind)) return InfoOfKind(kind).legendWord;
  return "вид " + std::to_string(kind);
}

}  // namespace world
