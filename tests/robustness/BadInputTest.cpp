// Empty, cut, foreign and oversized files of every kind the editor reads: each gives a clear
// error or what the file's rules make of it, and a failed load leaves the editor as it was.

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "RobustnessFixture.h"
#include "render/Surface.h"

namespace robustness {
namespace {

using world::Rgb;
constexpr size_t Megabyte = 1 << 20;
const std::string TurnStart = world::TurnLegendLine() + "\r\n7\r\nPlayer\r\n";
const std::string NotValid = "Bitmap image is not valid";

class BadInput : public RobustnessTest {
 protected:
  // `prefix`, then `filler` repeated to `size` bytes, then `suffix`; written in pieces so that
  // the test never holds the whole file, and under one name so that only one takes the disk.
  fs::path WriteLong(const std::string& prefix, const std::string& filler, const std::string& suffix,
                     size_t size = 200 * Megabyte, const char* name = "long") {
    std::ofstream out(dir() / name, std::ios::binary);
    out << prefix;
    std::string piece;
    while (piece.size() < Megabyte) piece += filler;
    for (size_t written = 0; written < size; written += piece.size()) out << piece;
    out << suffix;
    return dir() / name;
  }
};

TEST_F(BadInput, TurnFiles) {
  EXPECT_EQ(Load(&editor::Editor::N8Click, Write("empty.tvk", "")), "");
  EXPECT_EQ(editor.PlayerCount, 0);
  EXPECT_EQ(editor.World.Year, 0);

  // Cut inside Beta's header line: the second number reads as 0 and the block has no units.
  const std::string good = GoodTurnFile();
  EXPECT_EQ(Load(&editor::Editor::N8Click, Write("cut.tvk", good.substr(0, good.find("3 4") + 2))), "");
  EXPECT_EQ(editor.World.players[2].num2, 0);
  EXPECT_EQ(editor.World.players[2].count, 0);

  // A name line of 200 MB keeps its first 16 bytes.
  EXPECT_EQ(Load(&editor::Editor::N8Click, WriteLong(TurnStart, "N", "\r\n1 2\r\nEND\r\n")), "");
  EXPECT_EQ(editor.World.players[1].name, std::string(16, 'N'));
  EXPECT_EQ(editor.World.players[1].num2, 2);

  // A unit line of 200 MB ends the read at the 128th unit; taking the whole line apart into
  // cells first took 2.5 GB besides the 200 MB of the file.
  const fs::path units = WriteLong(TurnStart + "A\r\n0 0\r\n\xE3 ", "1 1,", "\r\nEND\r\n");
  EXPECT_EQ(Load(&editor::Editor::N8Click, units), "Too many units for player 1 (line 6)");
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  EXPECT_LT(usage.ru_maxrss / 1024, 1500);
}

TEST_F(BadInput, PaletteFiles) {
  const world::TPalette before = editor.scene.Palette;
  EXPECT_EQ(Load(&editor::Editor::N1Click, Write("empty.pal", "")), "");
  EXPECT_EQ(editor.scene.Palette, before);

  // 200 MB after the three numbers of a line are ignored; a number of 200 MB digits is none.
  EXPECT_EQ(Load(&editor::Editor::N1Click, WriteLong("1 2 3 ", "x", "\r\n4 5 6\r\n")), "");
  EXPECT_EQ(editor.scene.Palette[1], Rgb(1, 2, 3));
  EXPECT_EQ(editor.scene.Palette[2], Rgb(4, 5, 6));
  EXPECT_EQ(Load(&editor::Editor::N1Click, WriteLong("7 8 ", "9", "\r\n")), "Invalid numeric input");
}

TEST_F(BadInput, ForeignCutAndOversizedFilesAreRefused) {
  const std::string picture = ReadBytes(dir() / "map.bmp");
  // A picture of 3 GB, refused before it is read.
  fs::resize_file(Write("sparse.bmp", picture.substr(0, 54)), 3ull << 30);
  const std::tuple<Command, fs::path, std::string> cases[] = {
      {&editor::Editor::N8Click, Write("picture.tvk", picture), "Invalid numeric input"},
      {&editor::Editor::N7Click, Write("empty.bmp", ""), NotValid},
      {&editor::Editor::N7Click, Write("cut.bmp", picture.substr(0, picture.size() - 1)), NotValid},
      {&editor::Editor::N7Click, dir() / "sparse.bmp", NotValid},
  };
  for (const auto& [command, file, error] : cases) EXPECT_EQ(Load(command, file), error) << file;
}

// The land file is read by start-up, which runs again here on each version of "orv.dat".
TEST_F(BadInput, LandFiles) {
  const world::TMap goodWorld = editor.World;

  // Nothing is named and nothing changes for an empty file, a picture (a Ctrl+Z among its pixels
  // ends it before the row count) and one line of 200 MB without a line end.
  const std::pair<std::string, size_t> unnamed[] = {
      {"", 0}, {ReadBytes(dir() / "map.bmp"), 0}, {"", 200 * Megabyte}};
  for (const auto& [prefix, size] : unnamed) {
    WriteLong(prefix, "A", "", size, "orv.dat");
    EXPECT_EQ(Run(&editor::Editor::FormCreate), "") << size;
    EXPECT_EQ(editor.LandCount, 255);
    EXPECT_TRUE(editor.World == goodWorld);
  }

  // Cut inside the name of land B: the name is what there is, the missing income reads as 0.
  const std::string& good = editor::testing::kLandFile;
  Write("orv.dat", good.substr(0, good.find("\xDE\xE6") + 2));
  EXPECT_EQ(Run(&editor::Editor::FormCreate), "");
  EXPECT_EQ(editor.World.lands['B'], (world::zemla{"\xDE\xE6", 0}));

  // A grid row of 200 MB sets its row's 110 cells and no more.
  WriteLong("\r\n\r\n1\r\n\r\n", "C", "\r\n", 200 * Megabyte, "orv.dat");
  EXPECT_EQ(Run(&editor::Editor::FormCreate), "");
  EXPECT_EQ(editor.World.cells[110][1].land, 'C');
  EXPECT_EQ(editor.World.cells[1][2].land, goodWorld.cells[1][2].land);

  // A mine line without blanks is taken apart in one pass: searching the rest of the line for
  // a blank at every cell made a line of a few megabytes take hours.
  ::alarm(60);
  WriteLong("\r\n\r\n0\r\n\r\nM ", "5,", "\r\n\r\n\r\n\r\n\r\n", 4 * Megabyte, "orv.dat");
  EXPECT_EQ(Run(&editor::Editor::FormCreate), "");
  ::alarm(0);
}

}  // namespace
}  // namespace robustness
