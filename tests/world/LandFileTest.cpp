#include "world/LandFile.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TestFiles.h"

using testing_files::Cp;
using testing_files::Lines;
using world::TMap;
using world::zemla;

namespace {

class LandFile : public testing::Test {
 protected:
  // Reads `bytes` as a land file; returns the error text, or "" when the read succeeds.
  std::string Read(const std::string& bytes) {
    return testing_files::ErrorOf(
        [&] { world::ReadLandFile(World, LandCount, dir.Write("orv.dat", bytes)); });
  }

  testing_files::TempDir dir;
  TMap World;
  uint8_t LandCount = 0;
};

}  // namespace

TEST_F(LandFile, ReadsGridMineLinesAndLandBlocksSettingOnlyWhatTheFileNames) {
  World.cells[5][1].land = 9;    // beyond the first row's text
  World.cells[50][50].mine = 3;  // on no mine line
  World.lands[7] = {"old", 9};   // in no block
  // Blank lines where a block should begin are passed over, an empty income line takes the
  // number from the next one, a later block with the same key replaces, and Ctrl+Z ends it all.
  ASSERT_EQ(Read(Lines({Cp("Карта Тирмагора"), "free text", "2 rows follow", Cp("легенда"),
                        Cp("ВВ Г"), "",                  // a blank is a land index too
                        "1:12 5,13 5", "2:12 5 ,14 6,",  // kind 2 replaces (12, 5)
                        "3:", "4:1 2", "lands",
                        Cp("В"), Cp("Северные земли"), Cp("15 монет"), "", "",
                        "B", Cp("Юг"), "", "  -3 coins",
                        Cp("В"), Cp("Север"), "$14", ""}) +
                 "\x1A" + Lines({"C", "Gamma", "x"})),
            "");
  EXPECT_EQ(LandCount, 255);
  std::string row;
  for (int x = 1; x <= 5; ++x) row += char(World.cells[x][1].land);
  EXPECT_EQ(row, Cp("ВВ Г") + "\x09");

  const std::tuple<int, int, int> mines[] = {{12, 5, 2}, {13, 5, 1}, {14, 6, 2}, {1, 2, 4},
                                             {50, 50, 3}};
  for (const auto& [x, y, mine] : mines) EXPECT_EQ(World.cells[x][y].mine, mine) << x << "," << y;

  EXPECT_EQ(World.lands[uint8_t(Cp("В")[0])], (zemla{Cp("Север"), 20}));
  EXPECT_EQ(World.lands['B'], (zemla{Cp("Юг"), -3}));
  EXPECT_EQ(World.lands[7], (zemla{"old", 9}));
  EXPECT_EQ(World.lands['C'].name, "");
}

TEST_F(LandFile, WritesStayInsideTheTables) {
  std::string file = Lines({"", "", "80", ""});
  for (int y = 1; y <= 80; ++y) file += std::string(120, char('0' + y % 10)) + "\r\n";
  ASSERT_EQ(Read(file + Lines({"1:200 5,5 0,0 3,7 77,8 9,17", "2:257 4", "3:", "4:", "",
                               std::string(1, '\0') + "nothing", "Nowhere", "5",  // key 0
                               "A", "Alpha", "7"})),
            "");
  EXPECT_EQ(World.cells[110][76].land, '6');
  EXPECT_EQ(World.cells[8][9].mine, 1);  // the mine lines follow all 80 rows
  EXPECT_EQ(World.cells[1][4].mine, 2);  // 257 keeps its low byte
  int minedCells = 0;
  for (const auto& column : World.cells)
    for (const world::TCell& cell : column) minedCells += cell.mine != 0;
  EXPECT_EQ(minedCells, 2);
  EXPECT_EQ(World.lands[0], zemla{});  // key 0's block is read and stored nowhere
  EXPECT_EQ(World.lands['A'], (zemla{"Alpha", 7}));
}

TEST_F(LandFile, AFailureKeepsWhatWasReadAndLeavesLandCount) {
  EXPECT_EQ(Read(Lines({"", "", "12x", "", "AAAA"})), "Invalid numeric input");
  EXPECT_TRUE(World == TMap{});

  // With no grid rows the mine lines follow line 4 at once.
  World.lands['B'].income = 4;
  EXPECT_EQ(Read(Lines({"", "", "0", "", "1:1 1", "", "", "", "", "A", "Alpha", "6", "B", "Beta",
                        Cp("15монет"), "C", "Gamma", "1"})),
            "Invalid numeric input");
  EXPECT_EQ(World.cells[1][1].mine, 1);
  EXPECT_EQ(World.lands['A'], (zemla{"Alpha", 6}));
  EXPECT_EQ(World.lands['B'], (zemla{"Beta", 4}));  // the failing block's name was already read
  EXPECT_EQ(World.lands['C'].name, "");
  EXPECT_EQ(LandCount, 0);
}
