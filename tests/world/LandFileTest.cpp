#include "world/LandFile.h"

#include <gtest/gtest.h>

#include <tuple>

#include "ScratchFolder.h"

using test_support::Cp;
using test_support::Lines;
using world::TMap;
using world::zemla;

namespace {

class LandFile : public testing::Test {
 protected:
  // Reads `bytes` as a land file; returns the error text, or "" when the read succeeds.
  std::string Read(const std::string& bytes) {
    return test_support::ErrorOf(
        [&] { world::ReadLandFile(World, LandCount, dir.Write("orv.dat", bytes)); });
  }

  test_support::ScratchFolder dir;
  TMap World;
  uint8_t LandCount = 0;
};

}  // namespace

TEST_F(LandFile, ReadsGridMineLinesAndLandBlocksSettingOnlyWhatTheFileNames) {
  World.cells[5][1].land = 9;    // beyond the first row's text
  World.lands[7] = {"old", 9};   // in no block
  // Blank lines between blocks are passed over, key 0's block is stored nowhere, an empty income
  // line takes the next line's number, a later block replaces, and Ctrl+Z ends it all.
  ASSERT_EQ(Read(Lines({Cp("Карта Тирмагора"), "free text", "2 rows follow", Cp("легенда"),
                        Cp("ВВ Г"), "",                  // a blank is a land index too
                        "1:12 5,13 5", "2:12 5 ,14 6,",  // kind 2 replaces (12, 5)
                        "3:", "4:257 2", "lands",          // 257 keeps its low byte
                        Cp("В"), Cp("Северные земли"), Cp("15 монет"), "", "",
                        std::string(1, '\0'), "Nowhere", "5",
                        "B", Cp("Юг"), "", "  -3 coins",
                        Cp("В"), Cp("Север"), "$14", ""}) +
                 "\x1A" + Lines({"C", "Gamma", "x"})),
            "");
  EXPECT_EQ(LandCount, 255);
  std::string row;
  for (int x = 1; x <= 5; ++x) row += char(World.cells[x][1].land);
  EXPECT_EQ(row, Cp("ВВ Г") + "\x09");

  const std::tuple<int, int, int> mines[] = {{12, 5, 2}, {13, 5, 1}, {14, 6, 2}, {1, 2, 4}};
  for (const auto& [x, y, mine] : mines) EXPECT_EQ(World.cells[x][y].mine, mine) << x << "," << y;

  EXPECT_EQ(World.lands[uint8_t(Cp("В")[0])], (zemla{Cp("Север"), 20}));
  EXPECT_EQ(World.lands['B'], (zemla{Cp("Юг"), -3}));
  EXPECT_EQ(World.lands[7], (zemla{"old", 9}));
  EXPECT_EQ(World.lands['C'].name, "");
}

TEST_F(LandFile, RowsPastTheMapArePassedOverAndAFailureKeepsWhatWasRead) {
  World.lands['B'].income = 4;
  std::string file = Lines({"", "", "80", ""});
  for (int y = 1; y <= 80; ++y) file += Lines({std::to_string(y % 10)});
  EXPECT_EQ(Read(file + Lines({"1:8 9", "", "", "", "", "A", "Alpha", "6", "B", "Beta",
                               Cp("15монет"), "C", "Gamma", "1"})),
            "Invalid numeric input");
  EXPECT_EQ(World.cells[1][76].land, '6');
  EXPECT_EQ(World.cells[8][9].mine, 1);
  EXPECT_EQ(World.lands['A'], (zemla{"Alpha", 6}));
  EXPECT_EQ(World.lands['B'], (zemla{"Beta", 4}));  // the failing block's name was already read
  EXPECT_EQ(World.lands['C'].name, "");
  EXPECT_EQ(LandCount, 0);
}
