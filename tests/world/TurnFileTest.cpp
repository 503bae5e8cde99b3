#include "world/TurnFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstring>
#include <vector>

#include "TestFiles.h"
#include "world/FileError.h"

using testing_files::Cp;
using testing_files::Lines;
using testing_files::ReadBytes;
using testing_files::TempDir;
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

bool SamePlayers(const TMap& a, const TMap& b) {
  if (a.Year != b.Year) return false;
  for (int p = 1; p <= world::MaxPlayers; ++p) {
    const world::TPlayer& x = a.players[p];
    const world::TPlayer& y = b.players[p];
    if (x.name != y.name || x.num1 != y.num1 || x.num2 != y.num2 || x.count != y.count) return false;
    for (int u = 1; u <= world::MaxUnits; ++u)
      if (std::memcmp(&x.units[u], &y.units[u], sizeof(world::TUnit)) != 0) return false;
  }
  return true;
}

void AddUnit(world::TPlayer& player, uint8_t x, uint8_t y, uint8_t kind) {
  player.units[++player.count] = {x, y, kind};
}

std::string Legend() { return world::TurnLegendLine; }

class TurnFile : public testing::Test {
 protected:
  // Reads `bytes` as a turn file; returns the error text, or "" when the read succeeds.
  std::string Read(const std::string& bytes, world::TurnReadObserver* observer = nullptr) {
    try {
      world::ReadTurnFile(World, PlayerCount, dir.Write("turn.tvk", bytes), observer);
    } catch (const world::FileError& e) {
      return e.what();
    }
    return "";
  }

  TempDir dir;
  TMap World;
  uint8_t PlayerCount = 0;
};

}  // namespace

TEST_F(TurnFile, LegendLineIsTheKindList) {
  EXPECT_EQ(Legend().size(), 172u);
  EXPECT_EQ(world::Cp1251ToUtf8(Legend()),
            "г-гном,в-варвар,э-эльф,о-орк,р-рыцарь,м-маг,з-зомби,д-дракон,л-личное войско,"
            "ф-корабь(флот),К-крепость,Г-город,З-замок,П-поместье,Б-башня,C-медь,S-серебро,"
            "G-золото,M-мифрил");
}

TEST_F(TurnFile, WritesPlayersKindByKindFromMithrilDown) {
  World.Year = 17;
  World.players[1].name = Cp("Иван");
  World.players[1].num1 = 5;
  World.players[1].num2 = 12;
  AddUnit(World.players[1], 12, 7, 8);   // dragon
  AddUnit(World.players[1], 40, 33, 11); // fortress
  AddUnit(World.players[1], 13, 7, 8);   // dragon
  // Player 2 has no name, a held unit, one of every kind in ascending order, a kind outside
  // the table and a stale entry past its count.
  for (uint8_t k = 1; k <= 19; ++k) AddUnit(World.players[2], k, 1, k);
  AddUnit(World.players[2], 0, 0, 1);
  AddUnit(World.players[2], 9, 9, 0);
  AddUnit(World.players[2], 9, 9, 20);
  World.players[2].units[World.players[2].count + 1] = {50, 50, 3};
  World.players[3].name = "silent";
  World.players[4].name = "beyond";
  AddUnit(World.players[4], 1, 1, 1);

  world::WriteTurnFile(World, 3, dir / "turn.tvk");
  EXPECT_EQ(ReadBytes(dir / "turn.tvk"),
            Lines({Legend(), "17",
                   "Player", Cp("Иван"), "5 12", Cp("К 40 33,"), Cp("д 12 7,13 7,"),
                   "Player", "", "0 0", "M 19 1,", "G 18 1,", "S 17 1,", "C 16 1,",
                   Cp("Б 15 1,"), Cp("П 14 1,"), Cp("З 13 1,"), Cp("Г 12 1,"), Cp("К 11 1,"),
                   Cp("ф 10 1,"), Cp("л 9 1,"), Cp("д 8 1,"), Cp("з 7 1,"), Cp("м 6 1,"),
                   Cp("р 5 1,"), Cp("о 4 1,"), Cp("э 3 1,"), Cp("в 2 1,"), Cp("г 1 1,0 0,"),
                   "Player", "silent", "0 0",
                   "END"}));

  World.Year = -5;
  world::WriteTurnFile(World, 0, dir / "empty.tvk");
  EXPECT_EQ(ReadBytes(dir / "empty.tvk"), Lines({Legend(), "-5", "END"}));
}

TEST_F(TurnFile, WhatIsWrittenReadsBackSortedByKind) {
  TMap saved;
  saved.Year = 1203;
  saved.players[1].name = Cp("Ровно16символов!");
  saved.players[1].num1 = 255;
  AddUnit(saved.players[1], 3, 4, 1);
  AddUnit(saved.players[1], 5, 6, 19);
  AddUnit(saved.players[1], 0, 0, 1);   // held by the mouse while saving
  AddUnit(saved.players[1], 3, 4, 1);   // two units on one cell
  AddUnit(saved.players[1], 110, 76, 13);
  saved.players[2].name = "B";
  AddUnit(saved.players[2], 1, 1, 7);
  world::WriteTurnFile(saved, 2, dir / "saved.tvk");

  world::ReadTurnFile(World, PlayerCount, dir / "saved.tvk");
  EXPECT_EQ(World.Year, 1203);
  EXPECT_EQ(PlayerCount, 2);
  EXPECT_EQ(Describe(World.players[1]),
            "Ровно16символов! 255 0: 5,6,19 110,76,13 3,4,1 0,0,1 3,4,1");
  EXPECT_EQ(Describe(World.players[2]), "B 0 0: 1,1,7");

  // Writing what was read gives the same bytes again.
  world::WriteTurnFile(World, PlayerCount, dir / "again.tvk");
  EXPECT_EQ(ReadBytes(dir / "again.tvk"), ReadBytes(dir / "saved.tvk"));
}

TEST_F(TurnFile, ReadsUnitLinesAsWritten) {
  World.players[3].name = "kept";
  AddUnit(World.players[3], 8, 8, 8);
  const std::string file =
      Lines({"any legend", " 42 trailing", "whatever",
             Cp("Очень длинное имя игрока"), "300 -1 more",
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
  EXPECT_EQ(Describe(World.players[1]),
            "Очень длинное им 44 255: 1,2,7 3,4,7 5,6,7 7,8,13 1,2,1 0,3,1 44,251,1 0,0,1 0,12,1");
  EXPECT_EQ(Describe(World.players[2]), " 7 9: 1,1,1");
  EXPECT_EQ(Describe(World.players[3]), "a\nb 1 2: 9,9,16");

  // Blank lines after END start no further block; players past the file's blocks keep theirs.
  World.players[3].name = "kept";
  ASSERT_EQ(Read(Lines({"", "1", "Player", "A", "0 0", "END", "", " ", ""}) + "\t"), "");
  EXPECT_EQ(PlayerCount, 1);
  EXPECT_EQ(World.players[3].name, "kept");
  EXPECT_EQ(World.players[2].name, "");  // from the earlier read: the block above had none

  // A first unit line without a kind letter gives kind 0; Ctrl+Z ends the file.
  ASSERT_EQ(Read(Lines({"", "1", "Player", "A", "0 0", "x 4 5,", "END"}) + "\x1A" +
                Lines({"B", "0 0", "END"})),
            "");
  EXPECT_EQ(PlayerCount, 1);
  EXPECT_EQ(Describe(World.players[1]), "A 0 0: 4,5,0");

  // A file of its three lines alone has no players.
  ASSERT_EQ(Read(Lines({Legend(), "3", "END"})), "");
  EXPECT_EQ(World.Year, 3);
  EXPECT_EQ(PlayerCount, 0);
}

TEST_F(TurnFile, ObserverHearsOfEachUnitAfterTheCommit) {
  struct Recorder : world::TurnReadObserver {
    explicit Recorder(const TMap& world) : world(world) {}
    void TurnCommitted() override { events.push_back("commit year " + std::to_string(world.Year)); }
    void UnitRead(uint8_t p, uint8_t u) override {
      const world::TUnit& unit = world.players[p].units[u];
      events.push_back(std::to_string(p) + "." + std::to_string(u) + " at " +
                       std::to_string(unit.x) + "," + std::to_string(unit.y));
    }
    const TMap& world;
    std::vector<std::string> events;
  } recorder(World);

  ASSERT_EQ(Read(Lines({"", "9", "Player", "A", "0 0", Cp("д 1 1,2 2,"), "M 3 3,", "Player", "B",
                        "0 0", "Player", "C", "0 0", Cp("г 4 4,"), "END"}),
                 &recorder),
            "");
  EXPECT_EQ(recorder.events, (std::vector<std::string>{"commit year 9", "1.1 at 1,1", "1.2 at 2,2",
                                                       "1.3 at 3,3", "3.1 at 4,4"}));

  recorder.events.clear();
  EXPECT_NE(Read(Lines({"", "9x"}), &recorder), "");
  EXPECT_TRUE(recorder.events.empty());
}

TEST_F(TurnFile, AFailedReadChangesNothing) {
  World.Year = 77;
  World.players[1].name = "first";
  AddUnit(World.players[1], 1, 2, 3);
  World.players[2].name = "second";
  AddUnit(World.players[2], 4, 5, 6);
  PlayerCount = 2;
  const TMap before = World;

  auto expectUnchanged = [&](const std::string& error, const std::string& expectedError) {
    EXPECT_EQ(error, expectedError);
    EXPECT_TRUE(SamePlayers(World, before));
    EXPECT_EQ(PlayerCount, 2);
  };

  expectUnchanged(Read(Lines({"", "19x", "Player", "A", "0 0", "END"})), "Invalid numeric input");
  expectUnchanged(Read(Lines({"", "5", "Player", "A", "1 2", Cp("г 1 1,"), "Player", "B", "1 x",
                              "END"})),
                  "Invalid numeric input");

  std::string players = Lines({"", "5"});
  for (int p = 1; p <= 28; ++p) players += Lines({"Player", "P", "0 0", Cp("г 1 1,")});
  expectUnchanged(Read(players + Lines({"END"})), "Too many players (line 112)");

  std::string units = Lines({"", "5", "Player", "A", "0 0", "END", "B", "0 0"});
  for (int u = 1; u <= 12; ++u) {
    std::string line = Cp("г ");
    for (int i = 0; i < 10; ++i) line += "1 1,";
    units += line + "\r\n";
  }
  units += Lines({Cp("д 2 2,3 3,4 4,5 5,6 6,7 7,8 8,9 9"), "END"});
  expectUnchanged(Read(units), "Too many units for player 2 (line 21)");

  try {
    world::ReadTurnFile(World, PlayerCount, dir / "missing.tvk");
    ADD_FAILURE() << "a missing file was read";
  } catch (const world::FileError& e) {
    expectUnchanged(e.what(), "File not found");
  }
  try {
    world::ReadTurnFile(World, PlayerCount, dir / "no-folder" / "x.tvk");
    ADD_FAILURE() << "a file in a missing folder was read";
  } catch (const world::FileError& e) {
    expectUnchanged(e.what(), "Invalid filename");
  }
}

TEST_F(TurnFile, TheTablesHoldExactlyTheirLimits) {
  std::string file = Lines({"", "5"});
  for (int p = 1; p <= 27; ++p) file += Lines({"Player", "P", "0 0"});
  std::string line = Cp("г ");
  for (int u = 1; u <= 127; ++u) line += "1 1,";
  file += Lines({line, "END"});
  ASSERT_EQ(Read(file), "");
  EXPECT_EQ(PlayerCount, 27);
  EXPECT_EQ(World.players[27].count, 127);
}

TEST_F(TurnFile, SavingNeverDestroysTheOldFile) {
  World.Year = 3;
  PlayerCount = 1;
  World.players[1].name = "new";
  const std::string oldBytes = Lines({Legend(), "2", "Player", "old", "0 0", "END"});

  // A read-only file is refused, even for a user whom permissions do not stop.
  const fs::path readOnly = dir.Write("readonly.tvk", oldBytes);
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read);
  try {
    world::WriteTurnFile(World, PlayerCount, readOnly);
    ADD_FAILURE() << "a read-only file was replaced";
  } catch (const world::FileError& e) {
    EXPECT_EQ(e.code(), 5);
    EXPECT_STREQ(e.what(), "File access denied");
  }
  EXPECT_EQ(ReadBytes(readOnly), oldBytes);

  fs::create_directory(dir / "folder.tvk");
  try {
    world::WriteTurnFile(World, PlayerCount, dir / "folder.tvk");
    ADD_FAILURE() << "a folder was replaced";
  } catch (const world::FileError& e) {
    EXPECT_STREQ(e.what(), "File access denied");
  }
  EXPECT_TRUE(fs::is_directory(dir / "folder.tvk"));

  try {
    world::WriteTurnFile(World, PlayerCount, dir / "no-folder" / "x.tvk");
    ADD_FAILURE() << "written into a missing folder";
  } catch (const world::FileError& e) {
    EXPECT_STREQ(e.what(), "Invalid filename");
  }

  // A write that fails halfway (here: over the file size limit) leaves the old file as it was.
  const fs::path good = dir.Write("good.tvk", oldBytes);
  for (int u = 1; u <= 127; ++u) AddUnit(World.players[1], 100, 70, 8);
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 300;
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  std::string error;
  try {
    world::WriteTurnFile(World, PlayerCount, good);
  } catch (const world::FileError& e) {
    error = e.what();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(error, "I/O error " + std::to_string(EFBIG));
  EXPECT_EQ(ReadBytes(good), oldBytes);

  EXPECT_EQ(dir.EntryCount(), 3u) << "a temporary file was left behind";
}

TEST_F(TurnFile, ReplacingKeepsModeAndFollowsLinks) {
  PlayerCount = 0;
  const fs::path target = dir.Write("turn.tvk", "old");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  world::WriteTurnFile(World, PlayerCount, target);
  EXPECT_EQ(ReadBytes(target), Lines({Legend(), "0", "END"}));
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  fs::create_symlink(target, dir / "link.tvk");
  World.Year = 8;
  world::WriteTurnFile(World, PlayerCount, dir / "link.tvk");
  EXPECT_TRUE(fs::is_symlink(dir / "link.tvk"));
  EXPECT_EQ(ReadBytes(target), Lines({Legend(), "8", "END"}));
  EXPECT_EQ(dir.EntryCount(), 2u);
}
