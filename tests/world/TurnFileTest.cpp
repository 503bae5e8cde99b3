#include "world/TurnFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "ScratchFolder.h"

using test_support::Cp;
using test_support::Lines;
using test_support::ReadBytes;
using world::TMap;

namespace fs = std::filesystem;

namespace {

// "name num1 num2: x,y,kind ..." with the name in UTF-8.
std::string Describe(const world::TPlayer& player) {
  std::string text = world::Cp1251ToUtf8(player.name) + " " + std::to_string(player.num1) + " " +
                     std::to_string(player.num2) + ":";
  for (int u = 1; u <= player.count; ++u) {
    const world::TUnit& unit = player.units[u];
    text += " " + std::to_string(unit.x) + "," + std::to_string(unit.y) + "," +
            std::to_string(unit.kind);
  }
  return text;
}

// A turn of `players` players, each with `units` gnomes at (1, 1), and blanks after its END.
std::string Crowd(int players, int units) {
  std::string line = Cp("г ");
  for (int u = 1; u <= units; ++u) line += "1 1,";
  std::string file = Lines({"", "5"});
  for (int p = 1; p <= players; ++p) file += Lines({"Player", "P", "0 0", line});
  return file + Lines({"END", "", " "});
}

class TurnFile : public testing::Test {
 protected:
  // Reads `bytes` as a turn file; returns the error text, or "" when the read succeeds.
  std::string Read(const std::string& bytes) {
    return test_support::ErrorOf(
        [&] { world::ReadTurnFile(World, PlayerCount, dir.Write("turn.tvk", bytes)); });
  }

  test_support::ScratchFolder dir;
  TMap World;
  uint8_t PlayerCount = 0;
};

}  // namespace

TEST_F(TurnFile, StartsWithTheLegendLineByteForByte) {
  // The line as the game's own files have it, byte by byte, so that it owes nothing to the
  // kind table or to the Windows-1251 conversion it is built with.
  const std::string written =
      "\xE3-\xE3\xED\xEE\xEC,\xE2-\xE2\xE0\xF0\xE2\xE0\xF0,\xFD-\xFD\xEB\xFC\xF4,\xEE-\xEE\xF0\xEA,"
      "\xF0-\xF0\xFB\xF6\xE0\xF0\xFC,\xEC-\xEC\xE0\xE3,\xE7-\xE7\xEE\xEC\xE1\xE8,"
      "\xE4-\xE4\xF0\xE0\xEA\xEE\xED,\xEB-\xEB\xE8\xF7\xED\xEE\xE5 \xE2\xEE\xE9\xF1\xEA\xEE,"
      "\xF4-\xEA\xEE\xF0\xE0\xE1\xFC(\xF4\xEB\xEE\xF2),\xCA-\xEA\xF0\xE5\xEF\xEE\xF1\xF2\xFC,"
      "\xC3-\xE3\xEE\xF0\xEE\xE4,\xC7-\xE7\xE0\xEC\xEE\xEA,\xCF-\xEF\xEE\xEC\xE5\xF1\xF2\xFC\xE5,"
      "\xC1-\xE1\xE0\xF8\xED\xFF,C-\xEC\xE5\xE4\xFC,S-\xF1\xE5\xF0\xE5\xE1\xF0\xEE,"
      "G-\xE7\xEE\xEB\xEE\xF2\xEE,M-\xEC\xE8\xF4\xF0\xE8\xEB\r\n";
  World.Year = 3;
  world::WriteTurnFile(World, 0, dir / "empty.tvk");
  EXPECT_EQ(ReadBytes(dir / "empty.tvk"), written + "3\r\nEND\r\n");
  EXPECT_EQ(world::TurnLegendLine() + "\r\n", written);
}

TEST_F(TurnFile, WritesPlayersKindByKindFromMithrilDownOverTheFileALinkNames) {
  World.Year = 17;
  world::TPlayer& ivan = World.players[1] = {.name = Cp("Иван"), .num1 = 5, .num2 = 12};
  // One of every kind in ascending order, a second dragon after other kinds, kinds outside the
  // table and a stale entry past the count.
  for (uint8_t k = 1; k <= 19; ++k) ivan.units[k] = {k, 1, k};
  ivan.units[20] = {12, 7, 8};
  ivan.units[21] = {9, 9, 0};
  ivan.units[22] = {9, 9, 20};
  ivan.units[23] = {50, 50, 3};
  ivan.count = 22;
  // Saving through a link replaces the file it names, which keeps its mode.
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  const fs::path target = dir.Write("turn.tvk", "old");
  fs::permissions(target, mode);
  fs::create_symlink(target, dir / "link.tvk");

  world::WriteTurnFile(World, 2, dir / "link.tvk");
  EXPECT_EQ(ReadBytes(target),
            Lines({world::TurnLegendLine(), "17",
                   "Player", Cp("Иван"), "5 12", "M 19 1,", "G 18 1,", "S 17 1,", "C 16 1,",
                   Cp("Б 15 1,"), Cp("П 14 1,"), Cp("З 13 1,"), Cp("Г 12 1,"), Cp("К 11 1,"),
                   Cp("ф 10 1,"), Cp("л 9 1,"), Cp("д 8 1,12 7,"), Cp("з 7 1,"), Cp("м 6 1,"),
                   Cp("р 5 1,"), Cp("о 4 1,"), Cp("э 3 1,"), Cp("в 2 1,"), Cp("г 1 1,"),
                   "Player", "", "0 0",
                   "END"}));
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, mode);

  // Read back, the units come in the file's order; written again, the bytes are the same.
  auto back = std::make_unique<TMap>();
  uint8_t count = 0;
  world::ReadTurnFile(*back, count, target);
  EXPECT_EQ(std::tuple(count, back->Year, back->players[1].count), std::tuple(2, 17, 20));
  EXPECT_EQ(back->players[1].units[1], (world::TUnit{19, 1, 19}));
  world::WriteTurnFile(*back, count, dir / "again.tvk");
  EXPECT_EQ(ReadBytes(dir / "again.tvk"), ReadBytes(target));
}

TEST_F(TurnFile, ReadsUnitLinesAsWritten) {
  const std::string file =
      Lines({"any legend\r 42 trailing", "whatever",  // a CR alone ends a line too
             Cp("Очень длинное имя игрока"), "300 -1 more",
             "x 4 5,",                       // no kind letter yet: kind 0
             Cp("з 1 2,3 4"),               // no comma after the last unit
             Cp("С 5 6,"),                  // a Cyrillic С is no kind letter: kind stays 7
             "",                             // an empty unit line is passed over
             Cp("З 7 8,"),
             Cp("г 1 2, 3 4,"),             // a blank after a comma: (0, 3)
             Cp("г 300 -5,x y,12"),
             "END",
             "", "  7", "9",                 // numbers may stand on later lines
             Cp("Я 1 1,"),                   // kind carries over from the last line: 1
             "Player",
             "a\nb", "1 2"}) +               // an LF alone belongs to the name
      "C 9 9,";                              // the file ends inside the last block
  ASSERT_EQ(Read(file), "");
  EXPECT_EQ(World.Year, 42);
  EXPECT_EQ(PlayerCount, 3);
  EXPECT_EQ(Describe(World.players[1]), "Очень длинное им 44 255: 4,5,0 1,2,7 3,4,7 5,6,7 7,8,13 "
                                        "1,2,1 0,3,1 44,251,1 0,0,1 0,12,1");
  EXPECT_EQ(Describe(World.players[2]), " 7 9: 1,1,1");
  EXPECT_EQ(Describe(World.players[3]), "a\nb 1 2: 9,9,16");
}

TEST_F(TurnFile, TablesHoldExactlyTheirLimitsAndAFailedReadChangesNothing) {
  // The blank lines after END start no 28th player.
  ASSERT_EQ(Read(Crowd(27, 127)), "");
  EXPECT_EQ(PlayerCount, 27);
  EXPECT_EQ(World.players[27].count, 127);

  const TMap before = World;
  for (const auto& [file, error] : std::initializer_list<std::pair<std::string, std::string>>{
           {Crowd(28, 1), "Too many players (line 112)"},
           {Crowd(2, 128), "Too many units for player 1 (line 6)"}}) {
    EXPECT_EQ(Read(file), error);
    EXPECT_TRUE(World == before) << error;
    EXPECT_EQ(PlayerCount, 27) << error;
  }
}
