// What changed between two turns: pairing, lists, counts and the tool's two outputs.

#include "chronicle/Diff.h"

#include <gtest/gtest.h>

#include "chronicle/Assignment.h"
#include "ScratchFolder.h"
#ifdef TIRMAGOR_TOOL
#include "ToolRunner.h"
#endif

namespace {

using chronicle::Moved;
using chronicle::Placed;
using test_support::Cp;
using test_support::ScratchFolder;

// A turn file: for each player its name and unit lines ("г 1 1,5 1," in UTF-8).
std::string TurnText(int year, std::initializer_list<std::pair<const char*, std::initializer_list<const char*>>> players) {
  std::string text = "legend\r\n" + std::to_string(year) + "\r\n";
  for (const auto& [name, lines] : players) {
    text += "Player\r\n" + Cp(name) + "\r\n0 0\r\n";
    for (const char* line : lines) text += Cp(line) + "\r\n";
  }
  return text + "END\r\n";
}

class Diff : public testing::Test {
 protected:
  chronicle::TurnChanges Changes(const std::string& older, const std::string& newer) {
    return chronicle::DiffTurns(chronicle::ReadTurn(dir.Write("old.tvk", older)), chronicle::ReadTurn(dir.Write("new.tvk", newer)));
  }
  ScratchFolder dir;
};

TEST(Assignment, FindsTheSmallestTotalWhereTheNearestFirstDoesNot) {
  // Nearest first would pair row 1 with column 0 (cost 1) and leave row 0 the cost 7.
  EXPECT_EQ(chronicle::MinCostAssignment({{3, 7}, {1, 3}}, 2), (std::vector<int>{0, 1}));
  // More columns than rows: the cheapest columns are taken.
  EXPECT_EQ(chronicle::MinCostAssignment({{5, 0, 9}, {0, 5, 9}}, 3), (std::vector<int>{1, 0}));
  EXPECT_EQ(chronicle::MinCostAssignment({}, 4), std::vector<int>{});
  // A larger case against every permutation.
  const std::vector<std::vector<int>> cost = {{7, 2, 9, 4, 3}, {3, 8, 1, 6, 2}, {5, 4, 6, 1, 8}, {2, 9, 3, 7, 5}};
  const std::vector<int> found = chronicle::MinCostAssignment(cost, 5);
  int foundTotal = 0, best = 1 << 30;
  for (size_t r = 0; r < cost.size(); ++r) foundTotal += cost[r][size_t(found[r])];
  std::vector<int> columns = {0, 1, 2, 3, 4};
  do {
    int total = 0;
    for (size_t r = 0; r < cost.size(); ++r) total += cost[r][size_t(columns[r])];
    best = std::min(best, total);
  } while (std::next_permutation(columns.begin(), columns.end()));
  EXPECT_EQ(foundTotal, best);
}

TEST_F(Diff, MovesPairUnitsOfAKindByTheSmallestTotalDistance) {
  const auto changes = Changes(TurnText(6, {{"Эльфы", {"г 1 1,5 1,", "д 9 9,", "К 20 20,"}}}),
                               TurnText(7, {{"Эльфы", {"г 4 1,8 1,", "д 9 9,", "З 20 20,", "M 3 3,"}}}));
  EXPECT_EQ(std::pair(changes.oldYear, changes.newYear), std::pair(6, 7));
  ASSERT_EQ(changes.players.size(), 1u);
  const chronicle::PlayerChanges& elves = changes.players[0];
  // Crossing the dwarves over (1-1 to 8-1) would be the nearest-first guess; 3 + 3 beats 1 + 7.
  EXPECT_EQ(elves.moved, (std::vector<Moved>{{1, 1, 1, 4, 1}, {1, 5, 1, 8, 1}}));
  // The fortress became a castle: another kind, so one removed and one added; the dragon stayed.
  EXPECT_EQ(elves.added, (std::vector<Placed>{{13, 20, 20}, {19, 3, 3}}));
  EXPECT_EQ(elves.removed, (std::vector<Placed>{{11, 20, 20}}));
  EXPECT_EQ(elves.before, (chronicle::GroupCounts{3, 1, 0}));
  EXPECT_EQ(elves.after, (chronicle::GroupCounts{3, 1, 1}));
  EXPECT_FALSE(elves.renamedFrom);
}

TEST_F(Diff, UnpairedUnitsAreAddedOrRemovedAndPlayersMatchByPlace) {
  const auto changes = Changes(TurnText(1, {{"Орки", {"о 10 10,12 10,30 30,"}}, {"Гномы", {"г 2 2,"}}}),
                               TurnText(2, {{"Орки", {"о 11 10,"}}, {"Гномы Севера", {"г 2 2,"}}, {"Новые", {"Б 5 5,"}}}));
  ASSERT_EQ(changes.players.size(), 3u);
  const auto& orcs = changes.players[0];
  // One orc moved one cell; of the other two, the one farther away is the one that is gone.
  EXPECT_EQ(orcs.moved, (std::vector<Moved>{{4, 10, 10, 11, 10}}));
  EXPECT_EQ(orcs.removed, (std::vector<Placed>{{4, 12, 10}, {4, 30, 30}}));
  EXPECT_TRUE(orcs.added.empty());
  const auto& dwarves = changes.players[1];
  EXPECT_EQ(dwarves.renamedFrom, Cp("Гномы"));
  EXPECT_EQ(dwarves.name, Cp("Гномы Севера"));
  EXPECT_TRUE(dwarves.moved.empty() && dwarves.added.empty() && dwarves.removed.empty()) << "a unit that stayed";
  const auto& newcomers = changes.players[2];
  EXPECT_EQ(newcomers.added, (std::vector<Placed>{{15, 5, 5}}));
  EXPECT_EQ(newcomers.before, chronicle::GroupCounts{});
  // The other way round the newcomer's units are all removed.
  const auto back = Changes(TurnText(2, {{"А", {}}, {"Б", {"Б 5 5,"}}}), TurnText(3, {{"А", {}}}));
  ASSERT_EQ(back.players.size(), 2u);
  EXPECT_EQ(back.players[1].removed, (std::vector<Placed>{{15, 5, 5}}));
  EXPECT_EQ(back.players[1].name, Cp("Б"));
}

#ifdef TIRMAGOR_TOOL
TEST_F(Diff, ToolPrintsChangesForPeopleAndForScripts) {
  dir.Write("Год6.tvk", TurnText(6, {{"Эльфы", {"г 1 1,5 1,", "К 20 20,"}}}));
  dir.Write("Год7.tvk", TurnText(7, {{"Лесные эльфы", {"г 4 1,5 1,", "м 1 1,"}}}));
  const auto run = [&](const std::string& arguments) { return test_support::RunTool(dir.path(), "diff " + arguments); };
  EXPECT_EQ(run("Год6.tvk Год7.tvk"),
            (test_support::ToolRun{0,
                       "Год 6 → Год 7\n"
                       "Игрок 1: Лесные эльфы (был Эльфы)\n"
                       "  гном 1-1 → 4-1\n"
                       "  + маг 1-1\n"
                       "  − крепость 20-20\n"
                       "  войска 2 → 3, строения 1 → 0, рудники 0\n"
                       "Всего: войска 2 → 3, строения 1 → 0, рудники 0\n",
                       ""}));
  EXPECT_EQ(run("--json Год6.tvk Год7.tvk"),
            (test_support::ToolRun{0,
                       "{\"old\": {\"year\": 6}, \"new\": {\"year\": 7}, \"players\": [{\"player\": 1, \"name\": "
                       "\"Лесные эльфы\", \"renamedFrom\": \"Эльфы\", \"added\": [{\"kind\": 6, \"x\": 1, \"y\": 1}], "
                       "\"removed\": [{\"kind\": 11, \"x\": 20, \"y\": 20}], \"moved\": [{\"kind\": 1, \"from\": [1, 1], "
                       "\"to\": [4, 1]}], \"before\": {\"troops\": 2, \"buildings\": 1, \"mines\": 0}, \"after\": "
                       "{\"troops\": 3, \"buildings\": 0, \"mines\": 0}}]}\n",
                       ""}));
  dir.Write("bad.tvk", "legend\r\nnot a year\r\n");
  EXPECT_EQ(run("Год6.tvk bad.tvk"), (test_support::ToolRun{1, "", "Invalid numeric input\n"}));
  EXPECT_EQ(run("Год6.tvk missing.tvk"), (test_support::ToolRun{1, "", "File not found\n"}));
  for (const char* wrong : {"Год6.tvk", "Год6.tvk Год7.tvk Год7.tvk", "--csv Год6.tvk Год7.tvk"})
    EXPECT_EQ(run(wrong).status, 2) << wrong;
}
#endif

}  // namespace
