// Reading a turn draws its markers band by band and straight from the kept markers; whatever
// the scene, that must leave the pixels and the state that drawing unit after unit leaves.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
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
DrawnTurn DrawnUnitByUnit(Scene scene, const fs::path& turn) {
  world::TMap World;
  uint8_t PlayerCount = 0;
  world::ReadTurnFile(World, PlayerCount, turn);
  scene.ComposedMap.DrawSurface(0, 0, scene.CleanMap);
  EditingState state;
  for (uint8_t p = 1; p <= PlayerCount; ++p)
    for (uint8_t u = 1; u <= World.players[p].count; ++u) {
      state.CurrentPlayer = p;
      state.CurrentUnit = u;
      DrawCurrentUnit(scene, World, state, World.players[p].units[u].x, World.players[p].units[u].y);
    }
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

}  // namespace
}  // namespace render
