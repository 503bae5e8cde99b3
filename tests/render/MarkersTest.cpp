#include "render/Markers.h"

#include <gtest/gtest.h>

#include "TestScene.h"
#include "render/Geometry.h"

namespace render {
namespace {

using testing::DarkBlue;
using testing::MapGreen;

constexpr Color Yellow = 0x00FFFF;

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

TEST(Markers, TroopIconLinesAreBlackOnLightAndYellowOnDarkColours) {
  EXPECT_FALSE(IsLightColor(world::Rgb(128, 128, 255)));
  EXPECT_TRUE(IsLightColor(world::Rgb(129, 0, 0)));
  EXPECT_TRUE(IsLightColor(world::Rgb(0, 129, 0)));

  Scene scene = testing::MarkerScene();
  EXPECT_EQ(std::pair(scene.MaskSheet.Width(), scene.MaskSheet.Height()), std::pair(200, 20));
  EXPECT_EQ(scene.MaskSheet.PixelAt(6, 5), Black);
  EXPECT_EQ(scene.MaskSheet.PixelAt(23, 3), world::Rgb(0xBF, 0x7F, 0));

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
  Scene scene = testing::MarkerScene();
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
  Scene scene = testing::MarkerScene();
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
  // A kept marker brings its drawing state along: a building's, after a troop's on a dark colour.
  ComposeMarker(scene, 11, 2);
  ComposeMarker(scene, 1, 2);
  ComposeMarker(scene, 11, 2);
  EXPECT_EQ(scene.MarkerBitmap.PenColor, DarkBlue);
  EXPECT_EQ(scene.MarkerBitmap.Mode, CopyMode::SrcAnd);

  world::TMap World;
  World.players[1].units[1] = {3, 4, 1};
  const Surface before = scene.ComposedMap;
  for (EditingState outside : {EditingState{false, 0, 0, 1}, EditingState{false, 0, 28, 1},
                               EditingState{false, 0, 1, 0}, EditingState{false, 0, 1, 128}})
    DrawCurrentUnit(scene, World, outside, 3, 4);
  EXPECT_EQ(scene.ComposedMap, before);
}

TEST(Markers, RestorekletRedrawsOnlyTheLastUnitOnTheCell) {
  Scene scene = testing::MarkerScene();
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

}  // namespace
}  // namespace render
