// Empty, truncated, binary and oversized files of every kind the editor reads: each gives a
// clear error or the result the file rules define, and the editor goes on working.

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

#include "RobustnessFixture.h"
#include "world/Palette.h"
#include "world/TurnFile.h"

namespace robustness {
namespace {

using Errors = std::vector<std::string>;

constexpr size_t Megabyte = 1 << 20;
constexpr size_t Oversized = 200 * Megabyte;

// `prefix`, then `filler` repeated to `size` bytes, then `suffix`; written in pieces so that
// the test itself does not hold the whole file.
void WriteLongFile(const fs::path& path, const std::string& prefix, char filler, size_t size,
                   const std::string& suffix) {
  std::ofstream out(path, std::ios::binary);
  out << prefix;
  const std::string piece(Megabyte, filler);
  for (size_t written = 0; written < size; written += piece.size()) out << piece;
  out << suffix;
}

// The same with a repeated text instead of a single byte.
void WriteLongFile(const fs::path& path, const std::string& prefix, const std::string& filler,
                   size_t size, const std::string& suffix) {
  std::ofstream out(path, std::ios::binary);
  out << prefix;
  std::string piece;
  while (piece.size() < Megabyte) piece += filler;
  for (size_t written = 0; written < size; written += piece.size()) out << piece;
  out << suffix;
}

long PeakMemoryMegabytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

class BadInput : public RobustnessTest {
 protected:
  // The command on a file of these bytes; a failure must leave the editor's state alone.
  Errors Load(void (app::Editor::*command)(), const std::string& name, const std::string& bytes) {
    WriteBytes(Dir() / name, bytes);
    return LoadWritten(command, name);
  }
  Errors LoadWritten(void (app::Editor::*command)(), const std::string& name) {
    const EditorState before = State();
    Errors errors = RunWithFile(command, Dir() / name);
    if (!errors.empty()) {
      EXPECT_TRUE(State() == before) << name << ": the failed load changed the editor";
    }
    return errors;
  }
  std::string MapPictureBytes() const { return ReadBytes(Dir() / "map.bmp"); }
};

TEST_F(BadInput, TurnFiles) {
  world::TMap& World = editor.World;
  ASSERT_TRUE(Load(&app::Editor::N8Click, "good.tvk", GoodTurnFile()).empty());
  ASSERT_EQ(editor.PlayerCount, 2);

  // An empty file reads as year 0 without players; the players past the count keep their units.
  EXPECT_EQ(Load(&app::Editor::N8Click, "empty.tvk", ""), Errors{});
  EXPECT_EQ(editor.PlayerCount, 0);
  EXPECT_EQ(ui.playersField, "0");
  EXPECT_EQ(World.Year, 0);
  EXPECT_EQ(World.players[1].count, 3);

  // Cut inside Beta's header line: the second number reads as 0 and the block has no units.
  const std::string good = GoodTurnFile();
  const std::string cut = good.substr(0, good.find("3 4") + 2);
  EXPECT_EQ(Load(&app::Editor::N8Click, "cut.tvk", cut), Errors{});
  EXPECT_EQ(editor.PlayerCount, 2);
  EXPECT_EQ(World.players[1].count, 3);
  EXPECT_EQ(World.players[2].name, "Beta");
  EXPECT_EQ(World.players[2].num1, 3);
  EXPECT_EQ(World.players[2].num2, 0);
  EXPECT_EQ(World.players[2].count, 0);

  // A picture chosen as a turn: its year line is no number.
  EXPECT_EQ(Load(&app::Editor::N8Click, "picture.tvk", MapPictureBytes()), Errors{"Invalid numeric input"});

  // One name line of 200 MB: the name keeps its first 16 bytes.
  WriteLongFile(Dir() / "long-name.tvk", std::string(world::TurnLegendLine) + "\r\n7\r\nPlayer\r\n", 'N',
                Oversized, "\r\n1 2\r\nEND\r\n");
  EXPECT_EQ(LoadWritten(&app::Editor::N8Click, "long-name.tvk"), Errors{});
  EXPECT_EQ(World.players[1].name, std::string(16, 'N'));
  EXPECT_EQ(World.players[1].num2, 2);

  // A unit line of 200 MB ends the read at the 128th unit, without taking the line apart first.
  WriteLongFile(Dir() / "long-units.tvk",
                std::string(world::TurnLegendLine) + "\r\n7\r\nPlayer\r\nA\r\n0 0\r\n\xE3 ", "1 1,",
                Oversized, "\r\nEND\r\n");
  EXPECT_EQ(LoadWritten(&app::Editor::N8Click, "long-units.tvk"), Errors{"Too many units for player 1 (line 6)"});
  // The file itself takes 200 MB; taking its line apart into cells used to take 2.5 GB more.
  EXPECT_LT(PeakMemoryMegabytes(), 1500);

  fs::remove(Dir() / "long-name.tvk");
  fs::remove(Dir() / "long-units.tvk");
  ExpectEditorStillWorks();
}

TEST_F(BadInput, PaletteFiles) {
  world::TPalette defaults;
  world::DefaultPalette(defaults);
  const world::TPalette& Palette = editor.scene.Palette;

  EXPECT_EQ(Load(&app::Editor::N1Click, "empty.pal", ""), Errors{});
  EXPECT_EQ(Palette, defaults);

  // The blue of a line cut short reads as 0.
  EXPECT_EQ(Load(&app::Editor::N1Click, "cut.pal", "10 20 30\r\n255 0"), Errors{});
  EXPECT_EQ(Palette[1], world::Rgb(10, 20, 30));
  EXPECT_EQ(Palette[2], world::Rgb(255, 0, 0));
  EXPECT_EQ(Palette[3], defaults[3]);

  world::DefaultPalette(editor.scene.Palette);
  EXPECT_EQ(Load(&app::Editor::N1Click, "picture.pal", MapPictureBytes()), Errors{"Invalid numeric input"});

  // 200 MB after the three numbers of a line are ignored; a number of 200 MB digits is none.
  WriteLongFile(Dir() / "long-line.pal", "1 2 3 ", 'x', Oversized, "\r\n4 5 6\r\n");
  EXPECT_EQ(LoadWritten(&app::Editor::N1Click, "long-line.pal"), Errors{});
  EXPECT_EQ(Palette[1], world::Rgb(1, 2, 3));
  EXPECT_EQ(Palette[2], world::Rgb(4, 5, 6));
  EXPECT_EQ(Palette[3], defaults[3]);
  fs::remove(Dir() / "long-line.pal");
  WriteLongFile(Dir() / "long-number.pal", "7 8 ", '9', Oversized, "\r\n");
  EXPECT_EQ(LoadWritten(&app::Editor::N1Click, "long-number.pal"), Errors{"Invalid numeric input"});
  fs::remove(Dir() / "long-number.pal");
  ExpectEditorStillWorks();
}

// The land file is read by start-up, which runs again here on each version of "orv.dat".
TEST_F(BadInput, LandFiles) {
  const fs::path land = Dir() / "orv.dat";
  const world::TMap afterGoodLand = editor.World;
  auto startUp = [&] { return Run([&] { editor.FormCreate(); }); };

  // Nothing named, nothing changed; start-up goes on to the pictures.
  WriteBytes(land, "");
  EXPECT_EQ(startUp(), Errors{});
  EXPECT_EQ(editor.LandCount, 255);
  EXPECT_TRUE(editor.World == afterGoodLand);
  EXPECT_EQ(editor.scene.ComposedMap.Width(), 400);

  // Cut inside the name of land B: the name is what there is, the missing income reads as 0.
  const std::string& good = app::testing::kLandFile;
  WriteBytes(land, good.substr(0, good.find("\xDE\xE6") + 2));
  EXPECT_EQ(startUp(), Errors{});
  EXPECT_EQ(editor.World.lands['B'].name, "\xDE\xE6");
  EXPECT_EQ(editor.World.lands['B'].income, 0);
  EXPECT_EQ(editor.World.lands['A'], afterGoodLand.lands['A']);

  // A picture as land file: a Ctrl+Z among its pixels ends it before the row count.
  WriteBytes(land, MapPictureBytes());
  editor.World = afterGoodLand;
  EXPECT_EQ(startUp(), Errors{});
  EXPECT_TRUE(editor.World == afterGoodLand);

  // One line of 200 MB without a line end is all of line 1: nothing is named.
  WriteLongFile(land, "", 'A', Oversized, "");
  EXPECT_EQ(startUp(), Errors{});
  EXPECT_EQ(editor.LandCount, 255);
  EXPECT_TRUE(editor.World == afterGoodLand);

  // A grid row of 200 MB sets its row's 110 cells and no more.
  WriteLongFile(land, "\r\n\r\n1\r\n\r\n", 'C', Oversized, "\r\n");
  EXPECT_EQ(startUp(), Errors{});
  EXPECT_EQ(editor.World.cells[1][1].land, 'C');
  EXPECT_EQ(editor.World.cells[110][1].land, 'C');
  EXPECT_EQ(editor.World.cells[1][2].land, afterGoodLand.cells[1][2].land);

  WriteBytes(land, good);
  ExpectEditorStillWorks();
}

// A mine line of cells without blanks is taken apart in one pass: searching the rest of the
// line for a blank at every cell made a line of a few megabytes take hours.
TEST_F(BadInput, LongCellListsWithoutBlanks) {
  ::alarm(60);
  WriteLongFile(Dir() / "orv.dat", "\r\n\r\n0\r\n\r\nM ", "5,", 4 * Megabyte, "\r\n\r\n\r\n\r\n\r\n");
  EXPECT_EQ(Run([&] { editor.FormCreate(); }), Errors{});
  WriteLongFile(Dir() / "blanks.tvk", std::string(world::TurnLegendLine) + "\r\n7\r\nPlayer\r\nA\r\n0 0\r\n\xE3 ",
                "5,", 4 * Megabyte, "\r\nEND\r\n");
  EXPECT_EQ(LoadWritten(&app::Editor::N8Click, "blanks.tvk"), Errors{"Too many units for player 1 (line 6)"});
  ::alarm(0);
}

TEST_F(BadInput, MapPictures) {
  const std::string notValid = "Bitmap image is not valid";
  EXPECT_EQ(Load(&app::Editor::N7Click, "empty.bmp", ""), Errors{notValid});
  // The decoder would fill the rows a cut picture lacks with whatever its memory held.
  const std::string picture = MapPictureBytes();
  EXPECT_EQ(Load(&app::Editor::N7Click, "cut.bmp", picture.substr(0, picture.size() / 2)), Errors{notValid});
  EXPECT_EQ(Load(&app::Editor::N7Click, "cut-by-one.bmp", picture.substr(0, picture.size() - 1)), Errors{notValid});
  EXPECT_EQ(Load(&app::Editor::N7Click, "turn.bmp", GoodTurnFile()), Errors{notValid});

  // A header that claims 30000 by 30000 pixels, 200 MB of nothing, and a file of 3 GB that is
  // refused before it is read.
  std::string huge = picture.substr(0, 54);
  for (int offset : {18, 22}) {
    huge[size_t(offset)] = char(30000 & 0xFF);
    huge[size_t(offset) + 1] = char(30000 >> 8);
  }
  EXPECT_EQ(Load(&app::Editor::N7Click, "huge.bmp", huge), Errors{notValid});
  WriteLongFile(Dir() / "long.bmp", "BM", '\xFF', Oversized, "");
  EXPECT_EQ(LoadWritten(&app::Editor::N7Click, "long.bmp"), Errors{notValid});
  fs::remove(Dir() / "long.bmp");
  {
    std::ofstream sparse(Dir() / "sparse.bmp", std::ios::binary);
    sparse << picture.substr(0, 54);
  }
  fs::resize_file(Dir() / "sparse.bmp", 3ull << 30);
  EXPECT_EQ(LoadWritten(&app::Editor::N7Click, "sparse.bmp"), Errors{notValid});
  fs::remove(Dir() / "sparse.bmp");

  // The picture itself still loads.
  EXPECT_EQ(Load(&app::Editor::N7Click, "whole.bmp", picture), Errors{});
  ExpectEditorStillWorks();
}

}  // namespace
}  // namespace robustness
