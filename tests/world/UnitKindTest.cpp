#include "world/UnitKind.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "world/TMap.h"

using world::KindGroup;

// A troop is kinds 1..10 wherever it is asked, kind 0 (a unit line without a letter) none. The
// letters themselves, their case and the mines' Latin ones, are checked by the turn file's tests.
TEST(UnitKinds, GroupsEndWhereTheLegendSaysAndLettersLeadBackToTheirKind) {
  const std::pair<int, KindGroup> edges[] = {{0, KindGroup::None},     {1, KindGroup::Troop},
                                             {10, KindGroup::Troop},   {11, KindGroup::Building},
                                             {15, KindGroup::Building}, {16, KindGroup::Mine},
                                             {19, KindGroup::Mine},    {20, KindGroup::None}};
  for (const auto& [kind, group] : edges) EXPECT_EQ(world::GroupOf(kind), group) << kind;
  EXPECT_FALSE(world::IsTroop(0));
  for (int kind = 1; kind <= world::KindCount; ++kind) EXPECT_EQ(world::KindOfLetter(world::InfoOfKind(kind).letter), kind);
  EXPECT_EQ(world::KindLegendWord(20), "вид 20") << "a kind no legend names shows its number";
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
