#include "world/UnitKind.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "world/TMap.h"

using world::KindGroup;

TEST(UnitKinds, TroopsBuildingsAndMinesFollowEachOtherAndOtherBytesBelongToNoGroup) {
  std::vector<KindGroup> groups;
  for (int kind = 0; kind <= 255; ++kind) groups.push_back(world::GroupOf(kind));
  std::vector<KindGroup> expected(256, KindGroup::None);
  for (int kind = 1; kind <= 10; ++kind) expected[size_t(kind)] = KindGroup::Troop;
  for (int kind = 11; kind <= 15; ++kind) expected[size_t(kind)] = KindGroup::Building;
  for (int kind = 16; kind <= 19; ++kind) expected[size_t(kind)] = KindGroup::Mine;
  EXPECT_EQ(groups, expected);
  EXPECT_FALSE(world::IsTroop(0)) << "kind 0, from a unit line without a letter, is no troop";
  EXPECT_TRUE(world::IsTroop(world::Ship));
  EXPECT_TRUE(world::IsBuilding(world::Tower));
  EXPECT_TRUE(world::IsMineUnit(world::Mithril));
  EXPECT_FALSE(world::IsMineUnit(20));
}

TEST(UnitKinds, EveryKindHasItsOwnLetterThatLeadsBackToIt) {
  std::set<uint8_t> letters;
  for (int kind = 1; kind <= world::KindCount; ++kind) {
    const uint8_t letter = world::InfoOfKind(kind).letter;
    letters.insert(letter);
    EXPECT_EQ(world::KindOfLetter(letter), kind) << kind;
  }
  EXPECT_EQ(letters.size(), size_t(world::KindCount));
  // Case tells a castle from a zombie; the mines' letters are Latin.
  EXPECT_EQ(world::KindOfLetter(0xC7), world::Castle);
  EXPECT_EQ(world::KindOfLetter(0xE7), world::Zombie);
  EXPECT_EQ(world::KindOfLetter('C'), world::Copper);
  EXPECT_EQ(world::KindOfLetter(0xD1), 0) << "a Cyrillic С is no kind letter";
  EXPECT_EQ(world::KindOfLetter(0), 0);
}

TEST(UnitKinds, LegendWordsNameTheKindsTheLegendListsAndNumberTheRest) {
  EXPECT_EQ(world::KindLegendWord(world::Dwarf), "гном");
  EXPECT_EQ(world::KindLegendWord(world::Ship), "корабь(флот)");
  EXPECT_EQ(world::KindLegendWord(world::Mithril), "мифрил");
  EXPECT_EQ(world::KindLegendWord(0), "вид 0");
  EXPECT_EQ(world::KindLegendWord(20), "вид 20");
}

TEST(UnitWalk, GoesPlayerByPlayerInListOrderAndNoFurtherThanTheTables) {
  auto World = std::make_unique<world::TMap>();
  World->players[1].count = 2;
  World->players[1].units[1] = {1, 1, 1};
  World->players[1].units[2] = {2, 2, 0};
  World->players[1].units[3] = {3, 3, 3};  // stale, past the count
  World->players[3].count = 1;
  World->players[3].units[1] = {4, 4, world::Gold};
  World->players[4].count = 255;  // more than the table holds
  World->players[world::MaxPlayers].count = 1;

  std::vector<std::tuple<int, int, int>> seen;
  world::ForEachUnit(*World, 3, [&](int p, int u, const world::TUnit& unit) { seen.emplace_back(p, u, unit.x); });
  EXPECT_EQ(seen, (std::vector<std::tuple<int, int, int>>{{1, 1, 1}, {1, 2, 2}, {3, 1, 4}}));

  int walked = 0, lastPlayer = 0, lastUnit = 0;
  world::ForEachUnit(*World, 255, [&](int p, int u, const world::TUnit&) {
    ++walked;
    lastPlayer = p;
    lastUnit = u;
  });
  EXPECT_EQ(walked, 3 + world::MaxUnits + 1);
  EXPECT_EQ(std::tuple(lastPlayer, lastUnit), std::tuple(world::MaxPlayers, 1));

  EXPECT_EQ(world::CountGroups(World->players[1]), (world::GroupCounts{1, 0, 0})) << "kind 0 counts in no group";
  EXPECT_EQ(world::CountGroups(World->players[3]), (world::GroupCounts{0, 0, 1}));
}
