#include "world/LandFile.h"

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "world/FileError.h"

using testing_files::Cp;
using testing_files::Lines;
using testing_files::TempDir;
using world::TMap;

namespace {

class LandFile : public testing::Test {
 protected:
  // Reads `bytes` as a land file; returns the error code, or -1 when the read succeeds.
  int Read(const std::string& bytes) {
    try {
      world::ReadLandFile(World, LandCount, dir.Write("orv.dat", bytes));
    } catch (const world::FileError& e) {
      errorText = e.what();
      return e.code();
    }
    return -1;
  }

  TempDir dir;
  TMap World;
  uint8_t LandCount = 0;
  std::string errorText;
};

uint8_t Byte(const char* utf8) { return uint8_t(Cp(utf8)[0]); }

}  // namespace

TEST_F(LandFile, ReadsGridMineLinesAndLandBlocks) {
  World.cells[5][1].land = 9;    // beyond the first row's text
  World.cells[50][50].mine = 3;  // on no mine line
  World.lands[7] = {"old", 9};   // in no block
  const std::string file =
      Lines({Cp("Карта Тирмагора"), "free text", "3 rows follow", Cp("легенда"),
             Cp("ВВ Г"),                 // row 1: a blank is a land index too
             std::string(110, 'x'),     // row 2
             "",                        // row 3 sets nothing
             "1:12 5,13 5",             // kind 1
             "2:12 5 ,14 6,",           // kind 2 replaces (12, 5)
             "3:",                      // names no cell
             "4:1 2",                   // kind 4
             "lands",
             Cp("В"), Cp("Северные земли"), Cp("15 монет"),
             "B", Cp("Юг"), "-3",
             Cp("В"), Cp("Север"), "$14"});  // a later block with the same key replaces
  ASSERT_EQ(Read(file), -1) << errorText;

  EXPECT_EQ(LandCount, 255);
  EXPECT_EQ(World.cells[1][1].land, Byte("В"));
  EXPECT_EQ(World.cells[2][1].land, Byte("В"));
  EXPECT_EQ(World.cells[3][1].land, 32);
  EXPECT_EQ(World.cells[4][1].land, Byte("Г"));
  EXPECT_EQ(World.cells[5][1].land, 9);
  EXPECT_EQ(World.cells[110][2].land, 'x');
  EXPECT_EQ(World.cells[1][3].land, 0);

  EXPECT_EQ(World.cells[12][5].mine, 2);
  EXPECT_EQ(World.cells[13][5].mine, 1);
  EXPECT_EQ(World.cells[14][6].mine, 2);
  EXPECT_EQ(World.cells[1][2].mine, 4);
  EXPECT_EQ(World.cells[50][50].mine, 3);

  EXPECT_EQ(World.lands[Byte("В")].name, Cp("Север"));
  EXPECT_EQ(World.lands[Byte("В")].income, 20);
  EXPECT_EQ(World.lands['B'].name, Cp("Юг"));
  EXPECT_EQ(World.lands['B'].income, -3);
  EXPECT_EQ(World.lands[7].name, "old");
  EXPECT_EQ(World.lands[7].income, 9);

  // Reading the same file again changes nothing.
  const TMap before = World;
  ASSERT_EQ(Read(file), -1);
  EXPECT_EQ(World.lands[Byte("В")].name, before.lands[Byte("В")].name);
  EXPECT_EQ(World.cells[12][5].mine, before.cells[12][5].mine);
}

TEST_F(LandFile, WritesStayInsideTheTables) {
  std::initializer_list<std::string_view> header = {"", "", "80", ""};
  std::string file = Lines(header);
  for (int y = 1; y <= 80; ++y) file += std::string(120, char('0' + y % 10)) + "\r\n";
  file += Lines({"1:200 5,5 0,0 3,7 77,8 9,17", "2:257 4", "3:", "4:", "",
                 std::string(1, '\0') + "nothing", "Nowhere", "5",  // key 0 is read, stored nowhere
                 "A", "Alpha", "7"});
  ASSERT_EQ(Read(file), -1) << errorText;

  EXPECT_EQ(World.cells[110][76].land, '0' + 76 % 10);
  EXPECT_EQ(World.cells[8][9].mine, 1);   // the mine lines follow the 80 rows
  EXPECT_EQ(World.cells[1][4].mine, 2);   // 257 keeps its low byte: column 1
  int minedCells = 0;
  for (int x = 1; x <= world::MapWidth; ++x)
    for (int y = 1; y <= world::MapHeight; ++y) minedCells += World.cells[x][y].mine != 0;
  EXPECT_EQ(minedCells, 2);
  EXPECT_EQ(World.lands[0].name, "");
  EXPECT_EQ(World.lands[0].income, 0);
  EXPECT_EQ(World.lands['A'].name, "Alpha");
  EXPECT_EQ(World.lands['A'].income, 7);
}

TEST_F(LandFile, ShortAndOddFilesReadWithoutError) {
  // A file that ends early: missing lines read as empty.
  ASSERT_EQ(Read(Lines({"a", "b", "2"})), -1);
  EXPECT_EQ(LandCount, 255);

  // Row count 0: the mine lines follow line 4 at once.
  LandCount = 0;
  ASSERT_EQ(Read(Lines({"", "", "0", "", "1:3 4", "", "", "", "", "A", "Alpha", "1"})), -1);
  EXPECT_EQ(World.cells[3][4].mine, 1);
  EXPECT_EQ(World.lands['A'].name, "Alpha");

  // Lines ending in LF alone are one single line: nothing is set.
  TMap fresh;
  World = fresh;
  LandCount = 0;
  ASSERT_EQ(Read("a\nb\n1\n\nQ\n1:3 4\n\n\n\n\nA\nAlpha\n5\n"), -1);
  EXPECT_EQ(World.cells[1][1].land, 0);
  EXPECT_EQ(World.cells[3][4].mine, 0);
  EXPECT_EQ(World.lands['A'].name, "");
  EXPECT_EQ(LandCount, 255);

  // An empty income line takes the number from the next one; blank lines where a block
  // should begin are passed over; a Ctrl+Z ends the file.
  ASSERT_EQ(Read(Lines({"", "", "0", "", "", "", "", "", "", "A", "Alpha", "", "  12 coins", "",
                        "B", "Beta", "3", "", ""}) +
                "\x1A" + Lines({"C", "Gamma", "x"})),
            -1) << errorText;
  EXPECT_EQ(World.lands['A'].income, 12);
  EXPECT_EQ(World.lands['B'].name, "Beta");
  EXPECT_EQ(World.lands['C'].name, "");
}

TEST_F(LandFile, FailuresKeepWhatWasReadAndLeaveLandCount) {
  EXPECT_EQ(Read(Lines({"", "", "12x", "", "AAAA"})), world::IoInvalidNumeric);
  EXPECT_EQ(errorText, "Invalid numeric input");
  EXPECT_EQ(World.cells[1][1].land, 0);
  EXPECT_EQ(LandCount, 0);

  World.lands['B'].income = 4;
  EXPECT_EQ(Read(Lines({"", "", "1", "", "AB", "1:1 1", "", "", "", "",
                        "A", "Alpha", "6", "B", "Beta", Cp("15монет"), "C", "Gamma", "1"})),
            world::IoInvalidNumeric);
  EXPECT_EQ(World.cells[2][1].land, 'B');
  EXPECT_EQ(World.cells[1][1].mine, 1);
  EXPECT_EQ(World.lands['A'].income, 6);
  EXPECT_EQ(World.lands['B'].name, "Beta");  // the failing block's name was already read
  EXPECT_EQ(World.lands['B'].income, 4);
  EXPECT_EQ(World.lands['C'].name, "");
  EXPECT_EQ(LandCount, 0);

  TMap untouched;
  World = untouched;
  try {
    world::ReadLandFile(World, LandCount, dir / "missing.dat");
    FAIL() << "a missing file was read";
  } catch (const world::FileError& e) {
    EXPECT_STREQ(e.what(), "File not found");
  }
  try {
    world::ReadLandFile(World, LandCount, dir / "no-folder" / "orv.dat");
    FAIL() << "a file in a missing folder was read";
  } catch (const world::FileError& e) {
    EXPECT_STREQ(e.what(), "Invalid filename");
  }
  EXPECT_EQ(LandCount, 0);
}
