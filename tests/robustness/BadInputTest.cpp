// Empty, cut, foreign and oversized files of every kind the editor reads: each gives a clear
// error or what the file's rules make of it, and a failed load leaves the editor as it was.
// Pictures must be complete.

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "RobustnessFixture.h"
#include "render/Surface.h"
#include "world/Palette.h"

namespace robustness {
namespace {

constexpr size_t Megabyte = 1 << 20;
const std::string TurnStart = std::string(world::TurnLegendLine) + "\r\n7\r\nPlayer\r\n";
const std::string NotValid = "Bitmap image is not valid";

class BadInput : public RobustnessTest {
 protected:
  // The pixels of the map picture in `file` row by row from the top, or nothing when it is
  // refused, which must be for the usual reason.
  std::vector<world::Color> LoadPicture(const fs::path& file) {
    const std::string error = Load(&app::Editor::N7Click, file);
    if (!error.empty()) {
      EXPECT_EQ(error, NotValid);
      return {};
    }
    const render::Surface& map = editor.scene.ComposedMap;
    std::vector<world::Color> pixels;
    for (int y = 0; y < map.Height(); ++y)
      for (int x = 0; x < map.Width(); ++x) pixels.push_back(map.PixelAt(x, y));
    return pixels;
  }
  // Loads the picture twice, with another picture and other memory in use in between; both
  // loads must agree.
  std::vector<world::Color> LoadPictureTwice(const fs::path& file) {
    const std::vector<world::Color> first = LoadPicture(file);
    EXPECT_EQ(Load(&app::Editor::N7Click, dir() / "map.bmp"), "");
    std::vector<std::string> noise;
    for (int i = 0; i < 200; ++i) noise.emplace_back(size_t(16 * i + 8), char(i));
    EXPECT_EQ(LoadPicture(file), first) << "two loads of one file differ";
    return first;
  }

  // `prefix`, then `filler` repeated to `size` bytes, then `suffix`; written in pieces so that
  // the test itself never holds the whole file. All oversized files but the land file share one
  // name, so that no more than one of them takes the disk.
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

// The good turn is loaded.
TEST_F(BadInput, TurnFiles) {
  const world::TMap& World = editor.World;

  // An empty file reads as year 0 without players; the players past the count keep their units.
  EXPECT_EQ(Load(&app::Editor::N8Click, Write("empty.tvk", "")), "");
  EXPECT_EQ(ui.playersField, "0");
  EXPECT_EQ(World.Year, 0);
  EXPECT_EQ(World.players[1].count, 3);

  // Cut inside Beta's header line: the second number reads as 0 and the block has no units.
  const std::string good = GoodTurnFile();
  EXPECT_EQ(Load(&app::Editor::N8Click, Write("cut.tvk", good.substr(0, good.find("3 4") + 2))), "");
  EXPECT_EQ(editor.PlayerCount, 2);
  EXPECT_EQ(World.players[1].count, 3);
  EXPECT_EQ(World.players[2].name, "Beta");
  EXPECT_EQ(World.players[2].num2, 0);
  EXPECT_EQ(World.players[2].count, 0);

  // One name line of 200 MB: the name keeps its first 16 bytes.
  EXPECT_EQ(Load(&app::Editor::N8Click, WriteLong(TurnStart, "N", "\r\n1 2\r\nEND\r\n")), "");
  EXPECT_EQ(World.players[1].name, std::string(16, 'N'));
  EXPECT_EQ(World.players[1].num2, 2);

  // A unit line of 200 MB ends the read at the 128th unit, without taking the line apart first.
  const fs::path units = WriteLong(TurnStart + "A\r\n0 0\r\n\xE3 ", "1 1,", "\r\nEND\r\n");
  EXPECT_EQ(Load(&app::Editor::N8Click, units), "Too many units for player 1 (line 6)");
  // The file itself takes 200 MB; taking its line apart into cells used to take 2.5 GB more.
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  EXPECT_LT(usage.ru_maxrss / 1024, 1500);
}

TEST_F(BadInput, PaletteFiles) {
  world::TPalette defaults;
  world::DefaultPalette(defaults);
  const world::TPalette& Palette = editor.scene.Palette;

  EXPECT_EQ(Load(&app::Editor::N1Click, Write("empty.pal", "")), "");
  EXPECT_EQ(Palette, defaults);

  // The blue of a line cut short reads as 0.
  EXPECT_EQ(Load(&app::Editor::N1Click, Write("cut.pal", "255 0")), "");
  EXPECT_EQ(Palette[1], world::Rgb(255, 0, 0));

  // 200 MB after the three numbers of a line are ignored; a number of 200 MB digits is none.
  EXPECT_EQ(Load(&app::Editor::N1Click, WriteLong("1 2 3 ", "x", "\r\n4 5 6\r\n")), "");
  EXPECT_EQ(Palette[1], world::Rgb(1, 2, 3));
  EXPECT_EQ(Palette[2], world::Rgb(4, 5, 6));
  EXPECT_EQ(Palette[3], defaults[3]);
  EXPECT_EQ(Load(&app::Editor::N1Click, WriteLong("7 8 ", "9", "\r\n")), "Invalid numeric input");
}

TEST_F(BadInput, ForeignCutAndOversizedFilesAreRefused) {
  const std::string picture = ReadBytes(dir() / "map.bmp");
  // A picture of 3 GB, refused before it is read.
  fs::resize_file(Write("sparse.bmp", picture.substr(0, 54)), 3ull << 30);
  const struct {
    Command command;
    fs::path file;
    std::string error;
  } cases[] = {
      {&app::Editor::N8Click, Write("picture.tvk", picture), "Invalid numeric input"},
      {&app::Editor::N1Click, Write("picture.pal", picture), "Invalid numeric input"},
      {&app::Editor::N7Click, Write("empty.bmp", ""), NotValid},
      // The decoder would fill the rows a cut picture lacks with whatever its memory held.
      {&app::Editor::N7Click, Write("cut.bmp", picture.substr(0, picture.size() - 1)), NotValid},
      {&app::Editor::N7Click, WriteLong("BM", "\xFF", ""), NotValid},
      {&app::Editor::N7Click, dir() / "sparse.bmp", NotValid},
  };
  for (const auto& [command, file, error] : cases) EXPECT_EQ(Load(command, file), error) << file;
  EXPECT_EQ(Load(&app::Editor::N7Click, Write("whole.bmp", picture)), "");
}

// The land file is read by start-up, which runs again here on each version of "orv.dat".
TEST_F(BadInput, LandFiles) {
  const world::TMap goodWorld = editor.World;
  auto startUp = [&] { return Run([&] { editor.FormCreate(); }); };

  // Nothing is named and nothing changes, and start-up goes on to the pictures, for an empty
  // file, a picture (a Ctrl+Z among its pixels ends it before the row count) and one line of
  // 200 MB without a line end.
  const std::pair<std::string, size_t> unnamed[] = {
      {"", 0}, {ReadBytes(dir() / "map.bmp"), 0}, {"", 200 * Megabyte}};
  for (const auto& [prefix, size] : unnamed) {
    WriteLong(prefix, "A", "", size, "orv.dat");
    EXPECT_EQ(startUp(), "") << size;
    EXPECT_EQ(editor.LandCount, 255);
    EXPECT_TRUE(editor.World == goodWorld);
    EXPECT_EQ(editor.scene.ComposedMap.Width(), 400);
  }

  // Cut inside the name of land B: the name is what there is, the missing income reads as 0.
  const std::string& good = app::testing::kLandFile;
  Write("orv.dat", good.substr(0, good.find("\xDE\xE6") + 2));
  EXPECT_EQ(startUp(), "");
  EXPECT_EQ(editor.World.lands['B'], (world::zemla{"\xDE\xE6", 0}));
  EXPECT_EQ(editor.World.lands['A'], goodWorld.lands['A']);

  // A grid row of 200 MB sets its row's 110 cells and no more.
  WriteLong("\r\n\r\n1\r\n\r\n", "C", "\r\n", 200 * Megabyte, "orv.dat");
  EXPECT_EQ(startUp(), "");
  EXPECT_EQ(editor.World.cells[110][1].land, 'C');
  EXPECT_EQ(editor.World.cells[1][2].land, goodWorld.cells[1][2].land);
}

// A cell list without blanks is taken apart in one pass: searching the rest of the line for a
// blank at every cell made a line of a few megabytes take hours.
TEST_F(BadInput, LongCellListsWithoutBlanks) {
  ::alarm(60);
  WriteLong("\r\n\r\n0\r\n\r\nM ", "5,", "\r\n\r\n\r\n\r\n\r\n", 4 * Megabyte, "orv.dat");
  EXPECT_EQ(Run([&] { editor.FormCreate(); }), "");
  const fs::path turn = WriteLong(TurnStart + "A\r\n0 0\r\n\xE3 ", "5,", "\r\nEND\r\n", 4 * Megabyte);
  EXPECT_EQ(Load(&app::Editor::N8Click, turn), "Too many units for player 1 (line 6)");
  ::alarm(0);
}

// A picture whose file lacks some of its pixel bytes is refused: the decoder would otherwise
// fill the missing rows from whatever its memory held, different from one load to the next.
// Odd pictures that do load give the same pixels every time.
using world::Color;
using world::Rgb;

std::string Le16(uint32_t v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string Le32(uint32_t v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }
std::string FileHeader(size_t size, uint32_t offset) {
  return "BM" + Le32(uint32_t(size)) + Le32(0) + Le32(offset);
}
std::string InfoHeader(int width, int height, int bits, uint32_t compression, uint32_t colours = 0) {
  return Le32(40) + Le32(width) + Le32(height) + Le16(1) + Le16(bits) + Le32(compression) + Le32(0) +
         Le32(0) + Le32(0) + Le32(colours) + Le32(0);
}

TEST_F(BadInput, EveryUncompressedLayoutNeedsAllItsRows) {
  const fs::path file = dir() / "picture.bmp";
  const Color grey = Rgb(0x40, 0x40, 0x40);
  // A 3 by 2 picture with an info header (or, for `core`, the old 12-byte header); every pixel
  // byte and colour table entry 0x40, but for the colour masks, so that it is all one colour.
  const struct {
    int bits;
    uint32_t compression;
    bool core;
    Color colour;
  } layouts[] = {
      {1, 0, false, grey},  {4, 0, false, grey},  {8, 0, false, grey},
      {24, 0, false, grey}, {32, 0, false, grey}, {24, 0, true, grey},
      {8, 0, true, grey},   {16, 0, false, Rgb(0x80, 0x10, 0)},  // 0x4040 as 5-5-5 bits
      {16, 3, false, Rgb(0x40, 0x08, 0)},                      // and as 5-6-5 bits
  };
  for (const auto& [bits, compression, core, colour] : layouts) {
    SCOPED_TRACE(std::to_string(bits) + " bits, compression " + std::to_string(compression) + (core ? ", old" : ""));
    const uint32_t rowBytes = (3 * bits + 31) / 32 * 4;
    std::string table;
    if (bits <= 8) table.assign(size_t(1 << bits) * (core ? 3 : 4), '\x40');
    if (compression == 3) table = Le32(0xF800) + Le32(0x07E0) + Le32(0x001F);
    const std::string pixels(rowBytes * 2, bits <= 8 ? '\0' : '\x40');
    const std::string header = core ? Le32(12) + Le16(3) + Le16(2) + Le16(1) + Le16(bits)
                                    : InfoHeader(3, 2, bits, compression);
    const uint32_t offset = 14 + uint32_t(header.size() + table.size());
    const std::string whole = FileHeader(offset + pixels.size(), offset) + header + table + pixels;
    WriteBytes(file, whole);
    EXPECT_EQ(LoadPicture(file), std::vector<Color>(6, colour));
    // Even the last row's padding is read; without it that row would be garbage.
    WriteBytes(file, whole.substr(0, whole.size() - 1));
    EXPECT_EQ(LoadPicture(file), std::vector<Color>{});
  }
}

TEST_F(BadInput, OddPicturesLoadTheSameEveryTime) {
  const fs::path file = dir() / "picture.bmp";
  const std::string table = std::string("\0\0\xFF\0\0\xFF\0\0", 8);  // red, green
  const Color red = Rgb(255, 0, 0), green = Rgb(0, 255, 0);
  const Color black = Rgb(0, 0, 0);

  // Indexes past a two-colour table are black.
  WriteBytes(file, FileHeader(14 + 40 + 8 + 4, 14 + 40 + 8) + InfoHeader(4, 1, 8, 0, 2) + table +
                       std::string("\x01\xC8\x00\x02", 4));
  EXPECT_EQ(LoadPictureTwice(file), (std::vector<Color>{green, black, red, black}));

  // A compressed picture that ends after its first pixels leaves the others out: they take
  // the first colour of the table.
  WriteBytes(file, FileHeader(14 + 40 + 8 + 4, 14 + 40 + 8) + InfoHeader(4, 2, 8, 1, 2) + table +
                       std::string("\x02\x01\x00\x01", 4));
  EXPECT_EQ(LoadPictureTwice(file), (std::vector<Color>{red, red, red, red, green, green, red, red}));

  // The old header with a size the decoder knows only by its start: a complete file loads;
  // one whose rows are short is refused, although no usual layout describes where they are.
  const std::string oddHeader = Le32(16) + Le16(2) + Le16(2) + Le16(1) + Le16(24) + Le32(0);
  const std::string rows("\x10\x20\x30\x40\x50\x60\0\0\x70\x80\x90\xA0\xB0\xC0\0\0", 16);
  const std::string odd = FileHeader(14 + 16 + 16, 14 + 16) + oddHeader + rows;
  WriteBytes(file, odd);
  EXPECT_EQ(LoadPictureTwice(file), (std::vector<Color>{Rgb(0x90, 0x80, 0x70), Rgb(0xC0, 0xB0, 0xA0),
                                                        Rgb(0x30, 0x20, 0x10), Rgb(0x60, 0x50, 0x40)}));
  WriteBytes(file, odd.substr(0, odd.size() - 6));
  EXPECT_EQ(LoadPicture(file), std::vector<Color>{});
}

}  // namespace
}  // namespace robustness
