#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>

#include "TestScene.h"
#include "render/Geometry.h"
#include "render/Markers.h"
#include "render/Painting.h"

namespace render {
namespace {

using testing::DarkBlue;
using testing::MapGreen;
using testing::StartedScene;

constexpr Color Yellow = 0x00FFFF, Untouched = 0x0A0B0C;

// A marker's cell on the composed map.
struct Placed {
  const Scene& scene;
  MapPixel at;
  Color Map(int x, int y) const { return scene.ComposedMap.PixelAt(at.px + x, at.py + y); }
};

// Puts a unit of `kind` for `player` at the cell and draws it as the current unit.
Placed DrawUnit(Scene& scene, world::TMap& World, uint8_t player, uint8_t kind, uint8_t x, uint8_t y) {
  world::TPlayer& p = World.players[player];
  p.units[++p.count] = {x, y, kind};
  DrawCurrentUnit(scene, World, EditingState{false, 0, player, p.count}, x, y);
  return {scene, CellToPixel(scene, x, y)};
}

struct Probe {
  int x, y;
  Color expected;
};

void ExpectPixels(const Surface& s, std::initializer_list<Probe> probes) {
  for (const Probe& p : probes) EXPECT_EQ(s.PixelAt(p.x, p.y), p.expected) << "at " << p.x << ", " << p.y;
}

TEST(Geometry, ConvertsBetweenWindowPixelsAndCells) {
  const Scene scene = StartedScene();
  // Division truncates toward zero, and the results keep their low 8 bits: the map's margins
  // read as column 0 and row 1, one pixel further as 255 and 0.
  const std::tuple<int, int, Cell> examples[] = {
      {2, 30, {255, 1}}, {3, 29, {0, 1}}, {41, 67, {0, 1}}, {42, 68, {1, 2}}, {41, 28, {0, 0}}};
  for (const auto& [X, Y, cell] : examples) EXPECT_EQ(PixelToCell(scene, X, Y), cell) << X << ", " << Y;
  EXPECT_EQ(CellToPixel(scene, 0, 0), (MapPixel{20, -2}));
  // Every pixel of a cell's square converts back to the cell.
  for (int x = 0; x <= 110; ++x)
    for (int y = 1; y <= 76; ++y) {
      const MapPixel at = CellToPixel(scene, uint8_t(x), uint8_t(y));
      for (int corner : {0, 19})
        ASSERT_EQ(PixelToCell(scene, at.px + 2 + corner, at.py + 30 + 19 - corner), (Cell{uint8_t(x), uint8_t(y)}));
    }
  EXPECT_EQ(PixelToCell(Scene{}, 100, 100), (Cell{0, 0}));  // no geometry yet: no division by zero
}

TEST(Markers, TroopIconLinesAreBlackOnLightAndYellowOnDarkColours) {
  EXPECT_FALSE(IsLightColor(world::Rgb(128, 128, 255)));
  EXPECT_TRUE(IsLightColor(world::Rgb(129, 0, 0)));
  EXPECT_TRUE(IsLightColor(world::Rgb(0, 129, 0)));

  Scene scene = StartedScene();
  EXPECT_EQ(scene.MaskSheet.PixelAt(23, 3), world::Rgb(0xBF, 0x7F, 0));

  world::TMap World;
  const Placed light = DrawUnit(scene, World, 1, 1, 3, 4);
  const Placed dark = DrawUnit(scene, World, 2, 1, 5, 4);
  EXPECT_EQ(light.Map(5, 5), Black);
  EXPECT_EQ(dark.Map(5, 5), Yellow);
  EXPECT_EQ(dark.Map(10, 10), DarkBlue);
  EXPECT_EQ(dark.Map(2, 10), Black);  // the circle's outline

  // A colour equal to the transparent colour leaves only the outline and the icon on the map.
  const Placed vanished = DrawUnit(scene, World, 3, 1, 7, 4);
  EXPECT_EQ(vanished.Map(10, 10), MapGreen);
  EXPECT_EQ(vanished.Map(5, 5), Black);
}

TEST(Markers, BuildingsSitOnABlockAndKeepBlackLinesOnAnyColour) {
  Scene scene = StartedScene();
  const std::pair<uint8_t, Area> blocks[] = {{11, {7, 10, 10, 13}}, {12, {7, 6, 14, 13}}, {15, {8, 8, 12, 12}}};
  for (uint8_t player : {1, 2})
    for (const auto& [kind, block] : blocks) {
      ComposeMarker(scene, kind, player);
      for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
          const bool inBlock = x >= block.x1 && x < block.x2 && y >= block.y1 && y < block.y2;
          const bool line = kind == 12 && x == 10 && y == 9;
          const Color expected = line ? Black : inBlock ? scene.Palette[player] : White;
          ASSERT_EQ(scene.MarkerBitmap.PixelAt(x, y), expected) << int(kind) << " " << x << "," << y;
        }
    }
}

TEST(Markers, PreviewMineUnitsAndValuesOutsideTheTables) {
  Scene scene = StartedScene();
  EditingState state;
  Lmdraw(scene, state, 0, 2);  // kind 0: the circle without an icon, shown opaque
  EXPECT_TRUE(scene.MarkerBitmap.Transparent);
  EXPECT_EQ(scene.Window.PixelAt(30, 0), White);

  ComposeMarker(scene, 17, 1);  // mine units look alike for every player
  const Surface mine = scene.MarkerBitmap;
  ComposeMarker(scene, 17, 2);
  EXPECT_EQ(scene.MarkerBitmap, mine);
  EXPECT_EQ(mine.PixelAt(3, 4), Black);
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

TEST(Markers, RestorekletRedrawsOnlyTheLastUnitOnTheCell) {
  Scene scene = StartedScene();
  world::TMap World;
  DrawUnit(scene, World, 1, 1, 3, 4);
  DrawUnit(scene, World, 2, 1, 9, 9);
  const Placed cell = DrawUnit(scene, World, 2, 12, 3, 4);
  DrawUnit(scene, World, 3, 1, 3, 4);  // beyond PlayerCount 2
  const Placed left = DrawUnit(scene, World, 1, 1, 6, 6);
  World.players[1].count--;  // beyond the player's unit count
  scene.ComposedMap.Unrecorded().SetPixel(cell.at.px + 19, cell.at.py + 19, 0x010101);
  EditingState state{true, 5, 1, 1};

  Restoreklet(scene, World, 2, state, 3, 4);
  EXPECT_EQ(cell.Map(4, 10), MapGreen);  // the troop circles are gone
  EXPECT_EQ(cell.Map(19, 19), MapGreen);
  EXPECT_EQ(cell.Map(7, 6), DarkBlue);  // player 2's building is back
  EXPECT_EQ(scene.Window.PixelAt(scene.OriginX + cell.at.px + 4, scene.OriginY + cell.at.py + 10), MapGreen);
  EXPECT_EQ(std::pair(state.CurrentPlayer, state.CurrentUnit), (std::pair<uint8_t, uint8_t>(1, 1)));
  Restoreklet(scene, World, 2, state, 6, 6);
  EXPECT_EQ(left.Map(10, 10), MapGreen);
}

TEST(Painting, FormPaintShowsTheMapBothStripsAndWindowColourBeyondTheMap) {
  Scene scene = StartedScene(100, 50);
  scene.ComposedMap.Unrecorded().SetPixel(99, 49, 0x222222);
  scene.MineSheet.SetPixel(0, 0, 0x444444);
  scene.Window.Fill(Untouched);
  const Color grey = scene.WindowColor;
  const int left = scene.ColorStripLeft;
  PaintColorStrip(scene, 2);  // before the first paint the strip's outline is black
  ExpectPixels(scene.Window, {{left, 5, Black}, {left + 5, 5, scene.Palette[1]}, {left + 45, 5, grey},
                              {left + 539, 5, Black}, {left + 540, 5, Untouched}});

  FormPaint(scene, 27);
  // The map's last pixel, the mine strip after the kind strip, window colour right of and below
  // the map; nothing beyond the view, nor between the top row and the view.
  ExpectPixels(scene.Window, {{101, 79, 0x222222}, {281 + 300, 0, 0x444444}, {102, 30, grey}, {2, 80, grey},
                              {1152, 400, Untouched}, {100, 25, Untouched}});
  PaintColorStrip(scene, 2);  // lowering the count clears the cells above it
  ExpectPixels(scene.Window, {{left, 5, grey}, {left + 65, 5, grey}});
  RepaintWindow(scene, 27);
  EXPECT_EQ(scene.Window.PixelAt(1152, 400), grey);

  // A map larger than the view, scrolled: the band right of the picture has its corners in
  // reverse order and lies beyond the view.
  scene.ComposedMap = testing::Filled(1300, 1000, MapGreen);
  scene.ComposedMap.Unrecorded().SetPixel(1151 + 18, 815 + 150, 0x123456);
  scene.Window.Fill(Untouched);
  ScrollBar1Change(scene, 27, 1);
  ScrollBar2Change(scene, 27, 9);
  EXPECT_EQ(std::pair(scene.OriginX, scene.OriginY), std::pair(-18, -150));
  ExpectPixels(scene.Window, {{1151, 815, 0x123456}, {1160, 100, grey}});
}

}  // namespace
}  // namespace render
