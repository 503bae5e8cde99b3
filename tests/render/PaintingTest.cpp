#include "render/Painting.h"

#include <gtest/gtest.h>

#include "TestScene.h"
#include "render/Geometry.h"

namespace render {
namespace {

using testing::StartedScene;
using testing::WindowGrey;

TEST(Geometry, ConvertsBetweenWindowPixelsAndCells) {
  const Scene scene = StartedScene();
  EXPECT_EQ(PixelToCell(scene, 42, 48), (Cell{1, 1}));
  EXPECT_EQ(PixelToCell(scene, 41, 47), (Cell{0, 1}));
  EXPECT_EQ(PixelToCell(scene, 42, 68), (Cell{1, 2}));
  EXPECT_EQ(PixelToCell(scene, 2, 30), (Cell{255, 1}));
  EXPECT_EQ(PixelToCell(scene, 0, 0), (Cell{255, 255}));
  EXPECT_EQ(CellToPixel(scene, 0, 0), (MapPixel{20, -2}));
  EXPECT_EQ(CellToPixel(scene, 110, 76), (MapPixel{2220, 1518}));

  for (int x = 0; x <= 110; ++x)
    for (int y = 1; y <= 76; ++y) {
      const MapPixel corner = CellToPixel(scene, uint8_t(x), uint8_t(y));
      for (int i : {0, 19})
        for (int j : {0, 19})
          ASSERT_EQ(PixelToCell(scene, corner.px + scene.OriginX + i, corner.py + scene.OriginY + j),
                    (Cell{uint8_t(x), uint8_t(y)}));
    }
  EXPECT_EQ(PixelToCell(Scene{}, 100, 100), (Cell{0, 0}));  // no geometry yet: no division by zero
}

TEST(Painting, ColourStripOutlineIsBlackBeforeTheFirstPaintAndWindowColourAfter) {
  Scene scene = StartedScene();
  const Color sentinel = 0x0A0B0C;
  scene.Window.Fill(sentinel);
  const int left = scene.ColorStripLeft;
  PaintColorStrip(scene, 2);
  EXPECT_EQ(scene.Window.PixelAt(left, 5), Black);
  EXPECT_EQ(scene.Window.PixelAt(left + 5, 5), scene.Palette[1]);
  EXPECT_EQ(scene.Window.PixelAt(left + 25, 5), scene.Palette[2]);
  EXPECT_EQ(scene.Window.PixelAt(left + 45, 5), WindowGrey);
  EXPECT_EQ(scene.Window.PixelAt(left + 27 * 20 - 1, 5), Black);
  EXPECT_EQ(scene.Window.PixelAt(left + 27 * 20, 5), sentinel);

  FormPaint(scene, 5);
  PaintColorStrip(scene, 2);  // lowering the count clears the cells above it
  EXPECT_EQ(scene.Window.PixelAt(left, 5), WindowGrey);
  EXPECT_EQ(scene.Window.PixelAt(left + 1, 1), scene.Palette[1]);
  EXPECT_EQ(scene.Window.PixelAt(left + 19, 18), WindowGrey);
  EXPECT_EQ(scene.Window.PixelAt(left + 65, 5), WindowGrey);
}

TEST(Painting, FormPaintShowsTheMapTheKindStripAndWindowColourBeyondTheMap) {
  Scene scene = StartedScene(100, 50);
  scene.ComposedMap.SetPixel(0, 0, 0x111111);
  scene.ComposedMap.SetPixel(99, 49, 0x222222);
  scene.IconSheet.SetPixel(299, 19, 0x333333);
  scene.MineSheet.SetPixel(0, 0, 0x444444);
  const Color sentinel = 0x0A0B0C;
  scene.Window.Fill(sentinel);

  FormPaint(scene, 27);
  EXPECT_EQ(scene.Window.PixelAt(2, 30), 0x111111u);
  EXPECT_EQ(scene.Window.PixelAt(101, 79), 0x222222u);
  EXPECT_EQ(scene.Window.PixelAt(281 + 299, 19), 0x333333u);
  EXPECT_EQ(scene.Window.PixelAt(281 + 300, 0), 0x444444u);
  EXPECT_EQ(scene.Window.PixelAt(102, 30), WindowGrey);   // right of the map
  EXPECT_EQ(scene.Window.PixelAt(1151, 815), WindowGrey);
  EXPECT_EQ(scene.Window.PixelAt(2, 80), WindowGrey);     // below the map
  EXPECT_EQ(scene.Window.PixelAt(1152, 400), sentinel);   // beyond the view
  EXPECT_EQ(scene.Window.PixelAt(100, 25), sentinel);     // between the top row and the view

  RepaintWindow(scene, 27);
  EXPECT_EQ(scene.Window.PixelAt(1152, 400), WindowGrey);
  EXPECT_EQ(scene.Window.PixelAt(101, 79), 0x222222u);
}

TEST(Painting, MapLargerThanTheViewAndScrolling) {
  Scene scene = StartedScene(1300, 900);
  scene.ComposedMap.SetPixel(1149, 785, 0x123456);
  scene.ComposedMap.SetPixel(20, 0, 0x654321);
  scene.Window.Fill(0x0A0B0C);
  FormPaint(scene, 27);
  EXPECT_EQ(scene.Window.PixelAt(1151, 815), 0x123456u);
  // The band right of the picture is given by corners in reverse order: it lies beyond the view.
  EXPECT_EQ(scene.Window.PixelAt(1160, 100), WindowGrey);

  ScrollBar1Change(scene, 27, 1);
  EXPECT_EQ(scene.OriginX, -18);
  EXPECT_EQ(scene.Window.PixelAt(2, 30), 0x654321u);
  ScrollBar2Change(scene, 27, 9);
  EXPECT_EQ(scene.OriginY, -150);
}

}  // namespace
}  // namespace render
