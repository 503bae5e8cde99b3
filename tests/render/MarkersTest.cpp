#include "render/Markers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "TestScene.h"
#include "render/Geometry.h"
#include "world/FileError.h"

namespace render {
namespace {

namespace fs = std::filesystem;
using testing::MapGreen;

constexpr Color Yellow = 0x00FFFF, LightRed = 0x0000FF, DarkBlue = 0x800000;

// Icon sheets with a few known pixels: kind 1 has a black dot at (5, 5), kind 2 a coloured one at
// (3, 3), kind 12 a black dot at (10, 9), mine kind 17 a black dot at (3, 4); all else white.
// Player 1 is light, player 2 dark, player 3 the marker's transparent colour.
Scene MarkerScene() {
  Scene scene = testing::StartedScene();
  scene.IconSheet.SetPixel(5, 5, Black);
  scene.IconSheet.SetPixel(20 + 3, 3, world::Rgb(0x40, 0x80, 0xC0));
  scene.IconSheet.SetPixel(11 * 20 + 10, 9, Black);
  scene.MineSheet.SetPixel(20 + 3, 4, Black);
  scene.Palette[1] = LightRed;
  scene.Palette[2] = DarkBlue;
  scene.Palette[3] = White;
  BuildMaskSheet(scene);
  return scene;
}

// A marker's cell, read on the composed map and on the window.
struct Placed {
  const Scene& scene;
  MapPixel at;
  Color Map(int x, int y) const { return scene.ComposedMap.PixelAt(at.px + x, at.py + y); }
  Color Window(int x, int y) const {
    return scene.Window.PixelAt(at.px + scene.OriginX + x, at.py + scene.OriginY + y);
  }
};

// Puts a unit of `kind` for `player` at the cell and draws it as the current unit.
Placed DrawUnit(Scene& scene, world::TMap& World, uint8_t player, uint8_t kind, uint8_t x, uint8_t y) {
  world::TPlayer& p = World.players[player];
  p.units[++p.count] = {x, y, kind};
  DrawCurrentUnit(scene, World, EditingState{false, 0, player, p.count}, x, y);
  return {scene, CellToPixel(scene, x, y)};
}

TEST(Markers, LightColoursHaveRedOrGreenAbove128) {
  EXPECT_FALSE(IsLightColor(world::Rgb(128, 128, 255)));
  EXPECT_TRUE(IsLightColor(world::Rgb(129, 0, 0)));
  EXPECT_TRUE(IsLightColor(world::Rgb(0, 129, 0)));
}

TEST(Markers, MaskIsYellowWhereTheTroopIconIsBlack) {
  const Scene scene = MarkerScene();
  EXPECT_EQ(std::pair(scene.MaskSheet.Width(), scene.MaskSheet.Height()), std::pair(200, 20));
  EXPECT_EQ(scene.MaskSheet.PixelAt(5, 5), Yellow);
  EXPECT_EQ(scene.MaskSheet.PixelAt(6, 5), Black);
  EXPECT_EQ(scene.MaskSheet.PixelAt(23, 3), world::Rgb(0xBF, 0x7F, 0));
}

TEST(Markers, TroopIconLinesAreBlackOnLightAndYellowOnDarkColours) {
  Scene scene = MarkerScene();
  world::TMap World;
  const Placed light = DrawUnit(scene, World, 1, 1, 3, 4);
  const Placed dark = DrawUnit(scene, World, 2, 1, 5, 4);
  EXPECT_EQ(light.Map(5, 5), Black);
  EXPECT_EQ(dark.Map(5, 5), Yellow);
  EXPECT_EQ(dark.Map(10, 10), DarkBlue);
  EXPECT_EQ(dark.Map(2, 10), Black);  // the circle's outline
  EXPECT_EQ(dark.Map(1, 10), MapGreen);
  EXPECT_EQ(dark.Window(5, 5), Yellow);

  // A colour equal to the transparent colour leaves only the outline and the icon on the map.
  const Placed vanished = DrawUnit(scene, World, 3, 1, 7, 4);
  EXPECT_EQ(vanished.Map(10, 10), MapGreen);
  EXPECT_EQ(vanished.Map(5, 5), Black);
}

TEST(Markers, BuildingsSitOnABlockAndKeepBlackLinesOnAnyColour) {
  Scene scene = MarkerScene();
  const std::pair<uint8_t, Area> blocks[] = {{11, {7, 10, 10, 13}}, {12, {7, 6, 14, 13}}, {15, {8, 8, 12, 12}}};
  for (uint8_t player : {1, 2})
    for (const auto& [kind, block] : blocks) {
      ComposeMarker(scene, kind, player);
      for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
          const bool inBlock = x >= block.x1 && x < block.x2 && y >= block.y1 && y < block.y2;
          const Color expected = kind == 12 && x == 10 && y == 9 ? Black : inBlock ? scene.Palette[player] : White;
          ASSERT_EQ(scene.MarkerBitmap.PixelAt(x, y), expected) << int(kind) << " " << x << "," << y;
        }
    }
}

TEST(Markers, PreviewMineUnitsAndValuesOutsideTheTables) {
  Scene scene = MarkerScene();
  EditingState state;
  Lmdraw(scene, state, 0, 2);  // kind 0: the circle without an icon, shown opaque
  EXPECT_TRUE(state.Holding);
  EXPECT_TRUE(scene.MarkerBitmap.Transparent);
  EXPECT_EQ(scene.Window.PixelAt(30 + 5, 5), DarkBlue);
  EXPECT_EQ(scene.Window.PixelAt(30, 0), White);

  ComposeMarker(scene, 17, 1);  // mine units look alike for every player
  const Surface mine = scene.MarkerBitmap;
  ComposeMarker(scene, 17, 2);
  EXPECT_EQ(scene.MarkerBitmap, mine);
  EXPECT_EQ(mine.PixelAt(3, 4), Black);
  ComposeMarker(scene, 20, 1);
  EXPECT_EQ(scene.MarkerBitmap, testing::Filled(20, 20, White));
  ComposeMarker(scene, 1, 0);  // no such player: black
  EXPECT_EQ(scene.MarkerBitmap.PixelAt(10, 10), Black);

  world::TMap World;
  World.players[1].units[1] = {3, 4, 1};
  const Surface before = scene.ComposedMap;
  for (EditingState outside : {EditingState{false, 0, 0, 1}, EditingState{false, 0, 28, 1},
                               EditingState{false, 0, 1, 0}, EditingState{false, 0, 1, 128}})
    DrawCurrentUnit(scene, World, outside, 3, 4);
  EXPECT_EQ(scene.ComposedMap, before);
}

// Markers are kept once composed. After each change of something they are made of, a scene that
// has composed every marker before must compose the same as a new scene with the same changes.
TEST(Markers, KeptMarkersFollowEveryChangeOfWhatTheyAreMadeOf) {
  const fs::path iconFile = fs::temp_directory_path() / ("render_icons_" + std::to_string(::getpid()) + ".bmp");
  Surface otherIcons = testing::Filled(300, 20, White);
  otherIcons.SetPixel(6, 6, Black);
  otherIcons.SetPixel(11 * 20 + 12, 10, Black);
  otherIcons.SaveBmp(iconFile);

  const std::vector<std::pair<const char*, std::function<void(Scene&)>>> changes = {
      {"nothing", [](Scene&) {}},
      {"a light player turned dark", [](Scene& s) { s.Palette[1] = DarkBlue; }},
      {"a dark player turned light", [](Scene& s) { s.Palette[2] = LightRed; }},
      {"an icon pixel", [](Scene& s) { s.IconSheet.SetPixel(7, 7, Black); }},
      {"the mask alone", [](Scene& s) { s.MaskSheet.SetPixel(7, 7, Black); }},
      {"a mine icon pixel", [](Scene& s) { s.MineSheet.SetPixel(25, 5, Black); }},
      {"icons loaded, mask rebuilt", [&](Scene& s) { s.IconSheet.LoadBmp(iconFile); BuildMaskSheet(s); }},
      {"the transparent colour", [](Scene& s) { s.MarkerBitmap.TransparentColor = MapGreen; }},
      {"the cell size", [](Scene& s) { s.CellSize = 16; s.MarkerBitmap.SetSize(16, 16); }},
  };
  // What composing leaves behind: the pixels of MarkerBitmap and its drawing state.
  auto compose = [](Scene& scene, uint8_t kind, uint8_t player) {
    ComposeMarker(scene, kind, player);
    const Surface& m = scene.MarkerBitmap;
    return std::tuple(m, m.PenColor, m.BrushColor, m.Mode);
  };
  Scene warm = MarkerScene();
  for (size_t i = 0; i < changes.size(); ++i) {
    for (uint8_t player = 1; player <= 4; ++player)
      for (uint8_t kind = 0; kind <= 20; ++kind) ComposeMarker(warm, kind, player);
    changes[i].second(warm);
    Scene fresh = MarkerScene();
    for (size_t j = 0; j <= i; ++j) changes[j].second(fresh);
    for (uint8_t player = 1; player <= 4; ++player)
      for (uint8_t kind = 0; kind <= 20; ++kind) {
        const auto expected = compose(fresh, kind, player);
        EXPECT_TRUE(compose(warm, kind, player) == expected)
            << "after " << changes[i].first << ": kind " << int(kind) << ", player " << int(player);
      }
  }
  fs::remove(iconFile);
}

TEST(Markers, RestorekletRedrawsOnlyTheLastUnitOnTheCell) {
  Scene scene = MarkerScene();
  world::TMap World;
  DrawUnit(scene, World, 1, 1, 3, 4);
  DrawUnit(scene, World, 2, 1, 9, 9);
  const Placed cell = DrawUnit(scene, World, 2, 12, 3, 4);
  DrawUnit(scene, World, 3, 1, 3, 4);  // beyond PlayerCount 2
  scene.ComposedMap.SetPixel(cell.at.px + 19, cell.at.py + 19, 0x010101);
  EditingState state{true, 5, 1, 1};

  Restoreklet(scene, World, 2, state, 3, 4);
  EXPECT_EQ(cell.Map(4, 10), MapGreen);  // the troop circles are gone
  EXPECT_EQ(cell.Map(19, 19), MapGreen);
  EXPECT_EQ(cell.Map(7, 6), DarkBlue);  // player 2's building is back
  EXPECT_EQ(cell.Window(4, 10), MapGreen);
  EXPECT_EQ(state.CurrentPlayer, 1);
  EXPECT_EQ(state.CurrentUnit, 1);

  const Placed other = DrawUnit(scene, World, 1, 1, 6, 6);
  World.players[1].count--;  // the unit has left the cell
  Restoreklet(scene, World, 2, state, 6, 6);
  EXPECT_EQ(other.Map(10, 10), MapGreen);
}

// What a successful read draws is compared with drawing unit after unit in TurnDrawingTest.
TEST(Markers, AFailedTurnReadDrawsNothing) {
  const fs::path turn = fs::temp_directory_path() / ("render_turn_" + std::to_string(::getpid()) + ".tvk");
  // A unit is read before the second player's header turns out broken.
  std::ofstream(turn, std::ios::binary) << "legend\r\n17\r\nPlayer\r\nCarl\r\n1 1\r\n\xE3 9 9,\r\nPlayer\r\nDora\r\nx\r\nEND\r\n";
  Scene scene = MarkerScene();
  scene.ComposedMap.SetPixel(0, 0, 0x010101);
  const Scene before = scene;
  world::TMap World;
  uint8_t PlayerCount = 5;
  EditingState state;
  EXPECT_THROW(ReadTurnFileAndDraw(scene, World, PlayerCount, state, turn), world::FileError);
  EXPECT_EQ(scene.ComposedMap, before.ComposedMap);
  EXPECT_EQ(scene.Window, before.Window);
  fs::remove(turn);
}

}  // namespace
}  // namespace render
