// Reading a turn draws its markers band by band and straight from the kept markers, and restores
// only the cells drawn since the map was last made clean; whatever the scene and whatever happened
// before, that must leave the pixels and the state that drawing unit after unit leaves.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "TestScene.h"
#include "render/Markers.h"
#include "render/Painting.h"
#include "world/TurnFile.h"

namespace render {
namespace {

namespace fs = std::filesystem;

struct DrawnTurn {
  Surface map, window, marker;
  Color pen, brush;
  CopyMode mode;
  uint8_t player, unit;
  bool operator==(const DrawnTurn&) const = default;
};

DrawnTurn Drawn(const Scene& scene, const EditingState& state) {
  const Surface& m = scene.MarkerBitmap;
  return {scene.ComposedMap, scene.Window, m, m.PenColor, m.BrushColor, m.Mode, state.CurrentPlayer, state.CurrentUnit};
}

// The plain way: CleanMap placed whole, then each unit made current and drawn, in file order.
void ReadTurnUnitByUnit(Scene& scene, world::TMap& World, uint8_t& PlayerCount, EditingState& state,
                        const fs::path& turn) {
  world::ReadTurnFile(World, PlayerCount, turn);
  scene.ComposedMap.DrawSurface(0, 0, scene.CleanMap);
  for (uint8_t p = 1; p <= PlayerCount; ++p)
    for (uint8_t u = 1; u <= World.players[p].count; ++u) {
      state.CurrentPlayer = p;
      state.CurrentUnit = u;
      DrawCurrentUnit(scene, World, state, World.players[p].units[u].x, World.players[p].units[u].y);
    }
}

DrawnTurn DrawnUnitByUnit(Scene scene, const fs::path& turn) {
  world::TMap World;
  uint8_t PlayerCount = 0;
  EditingState state;
  ReadTurnUnitByUnit(scene, World, PlayerCount, state, turn);
  return Drawn(scene, state);
}

// Three players with 120 units among them, several to a cell, some in the picture's margins or
// beyond it. The last unit's marker is composed early in row order, the last new one late.
fs::path WriteTurn(const fs::path& path) {
  std::string units[4];
  for (int i = 0; i < 120; ++i) units[i % 4] += std::to_string(i * 7 % 33) + " " + std::to_string(i * 5 % 23) + ",";
  std::ofstream(path, std::ios::binary)
      << "legend\r\n3\r\nPlayer\r\nA\r\n0 0\r\n\xE3 " << units[0] << "\r\n\xCA " << units[1]
      << "\r\nS 0 0,3 4,200 255,\r\nG 9 20,\r\nPlayer\r\nB\r\n0 0\r\n\xE4 " << units[2]
      << "3 4,\r\nPlayer\r\nC\r\n1 1\r\n\xC3 " << units[3] << "3 4,\r\nC 5 2,\r\n\xC3 6 2,\r\nEND\r\n";
  return path;
}

TEST(TurnDrawing, ATurnIsDrawnAsItsUnitsDrawnOneByOneWouldBe) {
  const fs::path turn = WriteTurn(fs::temp_directory_path() / ("render_turn_drawing_" + std::to_string(::getpid())));
  using Setup = void (*)(Scene&);
  const std::vector<std::pair<const char*, Setup>> setups = {
      {"as started", [](Scene&) {}},
      {"scrolled", [](Scene& s) { s.OriginX -= 60, s.OriginY -= 40; }},
      {"the picture's corner inside the view", [](Scene& s) { s.OriginX += 40, s.OriginY += 30; }},
      {"a wider picture loaded", [](Scene& s) { s.ComposedMap = testing::Filled(900, 300, 0x123456); }},
      {"a smaller picture loaded", [](Scene& s) { s.ComposedMap = testing::Filled(150, 90, 0x123456); }},
      {"combined by AND", [](Scene& s) { s.ComposedMap.Mode = CopyMode::SrcAnd; }},
  };
  for (const auto& [what, setup] : setups) {
    Scene scene = testing::StartedScene(700, 480);
    scene.IconSheet.SetPixel(5, 5, Black);
    scene.IconSheet.SetPixel(3, 0, Black);  // a marker's top row that shows
    scene.IconSheet.SetPixel(11 * 20 + 10, 9, Black);
    scene.MineSheet.SetPixel(20 + 3, 4, Black);
    BuildMaskSheet(scene);
    scene.Palette[1] = 0x0000FF;  // light
    scene.Palette[2] = 0x800000;  // dark
    scene.Palette[3] = White;     // the transparent colour
    scene.ComposedMap.SetPixel(100, 100, 0x010101);
    setup(scene);
    const DrawnTurn expected = DrawnUnitByUnit(scene, turn);

    Scene read = scene;
    world::TMap World;
    uint8_t PlayerCount = 0;
    EditingState state;
    ReadTurnFileAndDraw(read, World, PlayerCount, state, turn);
    EXPECT_TRUE(Drawn(read, state) == expected) << what;

    // Told that FormPaint follows, the reader may leave the window to it.
    Scene painted = scene, reference = scene;
    ReadTurnFileAndDraw(painted, World, PlayerCount, state, turn, true);
    ReadTurnFileAndDraw(reference, World, PlayerCount, state, turn);
    FormPaint(painted, PlayerCount);
    FormPaint(reference, PlayerCount);
    EXPECT_TRUE(Drawn(painted, state) == Drawn(reference, state)) << what;
  }
  fs::remove(turn);
}


// A turn of three players whose units stand elsewhere for each `year`, several to a cell, some on
// either side of the columns 63 and 64 and of 127 and 128, some beyond the picture, and one row
// of cells nearly full.
fs::path WriteTurnOfYear(const fs::path& path, int year) {
  std::string units[3];
  for (int i = 0; i < 90; ++i)
    units[i % 3] += std::to_string((i * 7 + year * 5) % 70) + " " + std::to_string((i * 5 + year * 3) % 23) + ",";
  units[year % 3] += "62 " + std::to_string(year) + ",63 4,64 4,65 " + std::to_string(year + 1) + ",75 3,127 2,128 2,";
  for (int x = year; x < 70; x += 1 + year % 2) units[x % 3] += std::to_string(x) + " " + std::to_string(10 + year) + ",";
  std::ofstream(path, std::ios::binary)
      << "legend\r\n3\r\nPlayer\r\nA\r\n0 0\r\n\xE3 " << units[0] << "\r\n\xCA 3 4,\r\nG 9 20,200 255,\r\nPlayer\r\nB\r\n0 0\r\n\xE4 "
      << units[1] << "\r\nPlayer\r\nC\r\n1 1\r\n\xC3 " << units[2] << "\r\nC 5 2,\r\nEND\r\n";
  return path;
}

// A map whose every pixel differs from its neighbours, so that a pixel restored from the wrong
// place shows.
Surface TexturedMap(int width, int height, Color seed) {
  Surface map;
  map.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) map.Row(y)[x] = Color((x * 2654435761u + y * 40503u) ^ seed) & 0xFFFFFF;
  return map;
}

struct Session {
  Scene scene;
  world::TMap World;
  uint8_t PlayerCount = 0;
  EditingState state;
};

bool RecordHolds(const Scene& s) {
  return s.DrawnOnComposedMap.HoldsFor({s.ComposedMap.ContentId(), s.CleanMap.ContentId(), s.CellSize});
}

// What the mouse does to a unit picked up from one cell and put down on another.
void MoveUnit(Session& s, uint8_t player, uint8_t unit, uint8_t x, uint8_t y) {
  world::TUnit& entry = s.World.players[player].units[unit];
  const uint8_t fromX = entry.x, fromY = entry.y;
  s.state.CurrentPlayer = player;
  s.state.CurrentUnit = unit;
  entry.x = entry.y = 0;
  Restoreklet(s.scene, s.World, s.PlayerCount, s.state, fromX, fromY);
  Lmdraw(s.scene, s.state, entry.kind, player);
  DrawCurrentUnit(s.scene, s.World, s.state, x, y);
  entry.x = x;
  entry.y = y;
  s.state.Holding = false;
}

TEST(TurnDrawing, TurnAfterTurnGivesWhatAFullCopyGivesWhateverHappenedInBetween) {
  const fs::path dir = fs::temp_directory_path() / ("render_turn_after_turn_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::vector<fs::path> turns;
  for (int year = 1; year <= 3; ++year) turns.push_back(WriteTurnOfYear(dir / ("turn" + std::to_string(year)), year));
  const fs::path otherPicture = dir / "other.bmp", widerPicture = dir / "wider.bmp";
  TexturedMap(1400, 480, 0x5A5A5A).SaveBmp(otherPicture);
  testing::Filled(1600, 480, 0x445566).SaveBmp(widerPicture);

  Scene started = testing::StartedScene();
  started.CleanMap = TexturedMap(1400, 480, 0);
  started.ComposedMap = started.CleanMap;
  started.Palette[1] = 0x0000FF;
  started.Palette[2] = 0x800000;
  started.Palette[3] = White;
  // Every marker shows in its top and bottom pixel rows and in its first and last column.
  for (Surface* sheet : {&started.IconSheet, &started.MineSheet})
    for (int left = 0; left < sheet->Width(); left += 20) {
      sheet->SetPixel(left + 9, 0, Black);
      sheet->SetPixel(left + 10, 19, Black);
      sheet->SetPixel(left, 7, Black);
      sheet->SetPixel(left + 19, 12, Black);
      sheet->SetPixel(left + 5, 5, Black);
    }
  BuildMaskSheet(started);
  // The tracked session restores what it recorded; the reference places the whole clean map
  // every time.
  Session tracked, reference;
  tracked.scene = reference.scene = started;

  auto loadTurn = [&](const std::string& what, const fs::path& turn, bool recordExpected, bool formPaintFollows) {
    EXPECT_EQ(RecordHolds(tracked.scene), recordExpected) << what;
    ReadTurnFileAndDraw(tracked.scene, tracked.World, tracked.PlayerCount, tracked.state, turn, formPaintFollows);
    ReadTurnUnitByUnit(reference.scene, reference.World, reference.PlayerCount, reference.state, turn);
    if (formPaintFollows)
      for (Session* s : {&tracked, &reference}) FormPaint(s->scene, s->PlayerCount);
    EXPECT_TRUE(Drawn(tracked.scene, tracked.state) == Drawn(reference.scene, reference.state)) << what;
    EXPECT_TRUE(tracked.World == reference.World) << what;
  };
  auto both = [&](const std::function<void(Session&)>& change) {
    change(tracked);
    change(reference);
  };

  loadTurn("the first turn", turns[0], false, true);
  loadTurn("the next turn", turns[1], true, true);
  loadTurn("a turn not painted at once", turns[2], true, false);

  both([](Session& s) {
    MoveUnit(s, 1, 2, 40, 7);
    MoveUnit(s, 3, 1, 2, 2);
    s.state.SelectedKind = 4;
    s.state.CurrentPlayer = 2;
    world::TPlayer& player = s.World.players[2];
    player.units[++player.count] = {63, 9, 4};
    s.state.CurrentUnit = player.count;
    DrawCurrentUnit(s.scene, s.World, s.state, 63, 9);
  });
  loadTurn("a turn after mouse edits", turns[0], true, true);

  both([](Session& s) {
    Restoreklet(s.scene, s.World, s.PlayerCount, s.state, 62, 1);
    Restoreklet(s.scene, s.World, s.PlayerCount, s.state, 100, 20);  // nobody there
  });
  loadTurn("a turn after restoring cells", turns[1], true, true);

  // Left of the first column of cells, where no marker ever reaches.
  both([](Session& s) { s.scene.ComposedMap.Row(100)[5] = 0x00FFFF; });
  loadTurn("a turn after another hand drew on the map", turns[2], false, true);

  both([](Session& s) { s.scene.OriginX -= 100, s.scene.OriginY -= 40; });
  loadTurn("a turn in a scrolled view", turns[0], true, true);
  loadTurn("a turn in a scrolled view, not painted at once", turns[1], true, false);

  both([&](Session& s) { s.scene.ComposedMap.LoadBmp(otherPicture); });
  loadTurn("a turn after another picture of the same size was opened", turns[2], false, true);
  loadTurn("the turn after that", turns[0], true, true);

  both([&](Session& s) { s.scene.ComposedMap.LoadBmp(widerPicture); });
  loadTurn("a turn after a wider picture was opened", turns[1], false, true);
  loadTurn("the turn after that", turns[2], false, true);

  both([](Session& s) { s.scene.ComposedMap = s.scene.CleanMap; });
  loadTurn("a turn after the clean map was put back", turns[0], false, true);
  both([](Session& s) { s.scene.ComposedMap.Mode = CopyMode::SrcAnd; });
  loadTurn("a turn combined by AND", turns[1], true, true);
  both([](Session& s) { s.scene.ComposedMap.Mode = CopyMode::SrcCopy; });
  loadTurn("a plain turn after that", turns[2], false, true);

  both([](Session& s) { s.scene.CleanMap.SetPixel(5, 200, 0x00FF00); });
  loadTurn("a turn after the clean map changed", turns[0], false, true);

  both([](Session& s) {
    s.scene.MarkerBitmap.SetSize(30, 30);
    DrawCurrentUnit(s.scene, s.World, s.state, 10, 10);
    s.scene.MarkerBitmap.SetSize(20, 20);
  });
  loadTurn("a turn after a marker wider than a cell was put down", turns[1], false, true);
  both([](Session& s) { s.scene.MarkerBitmap.SetSize(30, 30); });
  loadTurn("a turn with markers wider than a cell", turns[2], true, true);
  both([](Session& s) { s.scene.MarkerBitmap.SetSize(20, 20); });
  loadTurn("a turn with cell-sized markers again", turns[0], false, true);

  std::ofstream(dir / "broken", std::ios::binary) << "legend\r\nyear\r\nPlayer\r\nA\r\n0 0\r\n\xE3 1 1,2 2,\r\n";
  for (const char* name : {"missing", "broken"}) {
    EXPECT_ANY_THROW(ReadTurnFileAndDraw(tracked.scene, tracked.World, tracked.PlayerCount, tracked.state, dir / name));
    EXPECT_ANY_THROW(ReadTurnUnitByUnit(reference.scene, reference.World, reference.PlayerCount, reference.state, dir / name));
  }
  loadTurn("a turn after turns that could not be read", turns[0], true, true);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace render
