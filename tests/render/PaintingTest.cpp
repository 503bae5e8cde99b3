#include "render/Painting.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "TestScene.h"
#include "render/Geometry.h"

namespace render {
namespace {

using testing::StartedScene;
using testing::WindowGrey;

constexpr Color Untouched = 0x0A0B0C;

struct Probe {
  int x, y;
  Color expected;
};

void ExpectPixels(const Surface& s, std::initializer_list<Probe> probes) {
  for (const Probe& p : probes) EXPECT_EQ(s.PixelAt(p.x, p.y), p.expected) << "at " << p.x << ", " << p.y;
}

TEST(Geometry, ConvertsBetweenWindowPixelsAndCells) {
  const Scene scene = StartedScene();
  // Division truncates toward zero, and the results keep their low 8 bits.
  EXPECT_EQ(PixelToCell(scene, 2, 30), (Cell{255, 1}));
  EXPECT_EQ(PixelToCell(scene, 0, 0), (Cell{255, 255}));
  EXPECT_EQ(CellToPixel(scene, 0, 0), (MapPixel{20, -2}));
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
  scene.Window.Fill(Untouched);
  const int left = scene.ColorStripLeft;
  PaintColorStrip(scene, 2);
  ExpectPixels(scene.Window, {{left, 5, Black}, {left + 5, 5, scene.Palette[1]},
                              {left + 25, 5, scene.Palette[2]}, {left + 45, 5, WindowGrey},
                              {left + 539, 5, Black}, {left + 540, 5, Untouched}});

  FormPaint(scene, 5);
  PaintColorStrip(scene, 2);  // lowering the count clears the cells above it
  ExpectPixels(scene.Window, {{left, 5, WindowGrey}, {left + 1, 1, scene.Palette[1]},
                              {left + 19, 18, WindowGrey}, {left + 65, 5, WindowGrey}});
}

TEST(Painting, FormPaintShowsTheMapTheKindStripAndWindowColourBeyondTheMap) {
  Scene scene = StartedScene(100, 50);
  scene.ComposedMap.SetPixel(0, 0, 0x111111);
  scene.ComposedMap.SetPixel(99, 49, 0x222222);
  scene.IconSheet.SetPixel(299, 19, 0x333333);
  scene.MineSheet.SetPixel(0, 0, 0x444444);
  scene.Window.Fill(Untouched);
  FormPaint(scene, 27);
  // The map, both strips, window colour right of and below the map, nothing beyond the view and
  // between the top row and the view.
  ExpectPixels(scene.Window, {{2, 30, 0x111111}, {101, 79, 0x222222}, {281 + 299, 19, 0x333333},
                              {281 + 300, 0, 0x444444}, {102, 30, WindowGrey}, {1151, 815, WindowGrey},
                              {2, 80, WindowGrey}, {1152, 400, Untouched}, {100, 25, Untouched}});

  RepaintWindow(scene, 27);
  ExpectPixels(scene.Window, {{1152, 400, WindowGrey}, {101, 79, 0x222222}});
}

TEST(Painting, MapLargerThanTheViewAndScrolling) {
  Scene scene = StartedScene(1300, 900);
  scene.ComposedMap.SetPixel(1149, 785, 0x123456);
  scene.ComposedMap.SetPixel(20, 0, 0x654321);
  scene.Window.Fill(Untouched);
  FormPaint(scene, 27);
  // The band right of the picture is given by corners in reverse order: it lies beyond the view.
  ExpectPixels(scene.Window, {{1151, 815, 0x123456}, {1160, 100, WindowGrey}});

  ScrollBar1Change(scene, 27, 1);
  EXPECT_EQ(scene.OriginX, -18);
  EXPECT_EQ(scene.Window.PixelAt(2, 30), 0x654321u);
  ScrollBar2Change(scene, 27, 9);
  EXPECT_EQ(scene.OriginY, -150);
}

}  // namespace
}  // namespace render
