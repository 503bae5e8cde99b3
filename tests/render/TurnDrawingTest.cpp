// Reading a turn draws band by band from the kept markers and restores only the cells drawn
// since the map was last clean; whatever happened before, that must leave the pixels and state
// that plain drawing leaves: each unit in file order made current and drawn with a fresh marker.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "ScratchFolder.h"
#include "TestScene.h"
#include "render/Painting.h"
#include "world/FileError.h"
#include "world/TurnFile.h"

namespace render {
namespace {

namespace fs = std::filesystem;

// A scene with the world and the editing state that go with it.
struct Session : Scene {
  explicit Session(const Scene& scene) : Scene(scene) {}
  world::TMap World;
  uint8_t PlayerCount = 0;
  EditingState state;

  auto Drawn() const {
    return std::tuple(ComposedMap, Window, MarkerBitmap, MarkerBitmap.PenColor, MarkerBitmap.BrushColor,
                      MarkerBitmap.Mode, World, PlayerCount, state.CurrentPlayer, state.CurrentUnit);
  }
  void Read(const fs::path& turn, bool formPaintFollows = false) {
    ReadTurnFileAndDraw(*this, World, PlayerCount, state, turn, formPaintFollows);
  }
  void ReadPlainly(const fs::path& turn) {
    world::ReadTurnFile(World, PlayerCount, turn);
    ComposedMap.PlaceClean(CleanMap);
    for (uint8_t p = 1; p <= PlayerCount; ++p)
      for (uint8_t u = 1; u <= World.players[p].count; ++u) {
        state.CurrentPlayer = p;
        state.CurrentUnit = u;
        Markers = MarkerCache();
        DrawCurrentUnit(*this, World, state, World.players[p].units[u].x, World.players[p].units[u].y);
      }
  }
  void Restore(uint8_t x, uint8_t y) { Restoreklet(*this, World, PlayerCount, state, x, y); }
};

// Three players' units, placed and of kinds that differ by `year`: several to a cell, some on
// either side of columns 63|64 and 127|128, some beyond the picture, one row of cells nearly full.
std::string TurnOfYear(int year) {
  std::string units[3];
  for (int i = 0; i < 120; ++i) {
    const char letter = char(world::InfoOfKind(1 + (i * 5 + year) % 19).letter);
    if (i % 12 < 3) units[i % 3] += std::string("\r\n") + letter + " ";
    units[i % 3] += std::to_string((i * 7 + year * 5) % 70) + " ";
    units[i % 3] += std::to_string((i * 5 + year * 3) % 23) + ",";
  }
  const std::string row = std::to_string(year % 12), fullRow = std::to_string(10 + year % 12);
  units[year % 3] += "62 " + row + ",63 4,64 4,65 " + row + ",75 3,127 2,128 2,200 255,";
  for (int x = year % 7; x < 70; x += 1 + year % 2) units[x % 3] += std::to_string(x) + " " + fullRow + ",";
  return "legend\r\n3\r\nPlayer\r\nA\r\n0 0" + units[0] + "\r\nPlayer\r\nB\r\n0 0" + units[1] +
         "\r\nPlayer\r\nC\r\n1 1" + units[2] + "\r\nEND\r\n";
}

TEST(TurnDrawing, TurnAfterTurnGivesWhatPlainDrawingGivesWhateverHappenedInBetween) {
  const test_support::ScratchFolder dir;
  // A unit is read before the second player's header turns out broken.
  const fs::path broken =
      dir.Write("broken", "legend\r\n17\r\nPlayer\r\nA\r\n1 1\r\n\xE3 9 9,\r\nPlayer\r\nB\r\nx\r\nEND\r\n");

  Scene start = testing::StartedScene();
  // Every pixel differs from its neighbours, so that one restored from the wrong place shows.
  start.CleanMap.SetSize(1400, 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 1400; ++x) start.CleanMap.Row(y)[x] = Color(x * 2654435761u + y * 40503u) & 0xFFFFFF;
  start.ComposedMap = start.CleanMap;
  // Every marker shows in its top and bottom pixel rows and in its first and last column.
  for (Surface* sheet : {&start.IconSheet, &start.MineSheet})
    for (int left = 0; left < sheet->Width(); left += 20)
      for (auto [x, y] : {std::pair{9, 0}, {10, 19}, {0, 7}, {19, 12}}) sheet->SetPixel(left + x, y, Black);
  BuildMaskSheet(start);
  Session tracked(start), plain(start);

  const std::pair<const char*, std::function<void(Session&)>> changes[] = {
      {"none", [](Session&) {}},
      {"a unit drawn elsewhere and cells restored", [](Session& s) {
         s.state.CurrentPlayer = 1, s.state.CurrentUnit = 2;
         DrawCurrentUnit(s, s.World, s.state, 40, 7);
         s.Restore(62, 1), s.Restore(100, 20);  // nobody stands on the second
       }},
      {"another hand drew left of the cells, then a cell was restored", [](Session& s) {
         s.ComposedMap.Unrecorded().Row(100)[5] = 0x00FFFF;
         s.Restore(62, 1);
       }},
      {"scrolled", [](Session& s) { s.OriginX -= 100, s.OriginY -= 40; }},
      {"the map's corner inside the view", [](Session& s) { s.OriginX += 140, s.OriginY += 70; }},
      {"players 1 and 2 swapped colours", [](Session& s) { std::swap(s.Palette[1], s.Palette[2]); }},
      {"an icon pixel", [](Session& s) { s.IconSheet.SetPixel(7, 7, Black); }},
      {"a mine icon pixel", [](Session& s) { s.MineSheet.SetPixel(25, 5, Black); }},
      {"a wider picture", [](Session& s) { s.ComposedMap = testing::Filled(1600, 480, 0x445566); }},
      {"the clean map put back", [](Session& s) { s.ComposedMap = s.CleanMap; }},
      {"combined by AND", [](Session& s) { s.ComposedMap.Unrecorded().Mode = CopyMode::SrcAnd; }},
      {"combined plainly again, the clean map changed", [](Session& s) {
         s.ComposedMap.Unrecorded().Mode = CopyMode::SrcCopy;
         s.CleanMap.SetPixel(5, 200, 0x00FF00);
       }},
      {"a marker wider than a cell put down", [](Session& s) {
         s.MarkerBitmap.SetSize(30, 30);
         DrawCurrentUnit(s, s.World, s.state, 10, 23);  // where no unit stands
         s.MarkerBitmap.SetSize(20, 20);
       }},
      {"markers wider than a cell", [](Session& s) { s.MarkerBitmap.SetSize(30, 30); }},
      {"smaller cells", [](Session& s) { s.CellSize = 16, s.MarkerBitmap.SetSize(16, 16); }},
      {"transparent colour", [](Session& s) { s.MarkerBitmap.TransparentColor = Black; }},
  };
  int year = 0;
  for (const auto& [what, apply] : changes) {
    SCOPED_TRACE(what);
    apply(tracked);
    plain.Markers = MarkerCache();
    apply(plain);
    for (int read = 0; read < 2; ++read) {
      const auto before = tracked.Drawn();
      EXPECT_THROW(tracked.Read(broken), world::FileError);
      EXPECT_TRUE(tracked.Drawn() == before) << "a failed read changes nothing";

      // The first turn after a change is painted at once, which lets the reader leave the window.
      const fs::path turn = dir.Write("turn", TurnOfYear(++year));
      const bool formPaintFollows = year % 2 == 1;
      tracked.Read(turn, formPaintFollows);
      plain.ReadPlainly(turn);
      if (formPaintFollows)
        for (Session* s : {&tracked, &plain}) FormPaint(*s, s->PlayerCount);
      EXPECT_TRUE(tracked.Drawn() == plain.Drawn()) << "year " << year;
    }
  }
  // After a plain read the next one may restore just the drawn cells.
  EXPECT_NE(tracked.ComposedMap.DrawnOver(tracked.CleanMap, tracked.CellSize), nullptr);
}

}  // namespace
}  // namespace render
