#pragma once
// A scene laid out as after a normal start-up, with small pictures made on the spot.

#include "render/Markers.h"

namespace render::testing {

constexpr Color MapGreen = 0x208040, LightRed = 0x0000FF, DarkBlue = 0x800000;

inline Surface Filled(int width, int height, Color c) {
  Surface s;
  s.SetSize(width, height);
  s.Fill(c);
  return s;
}

// Icon sheets that are white but for a few known pixels, and so is the marker's transparent
// colour: kind 1 has a black dot at (5, 5), kind 2 a coloured one at (3, 3), kind 12 a black dot
// at (10, 9), mine kind 17 a black dot at (3, 4). Player 1 is light, player 2 dark, player 3 the
// marker's transparent colour.
inline Scene StartedScene(int mapWidth = 300, int mapHeight = 200) {
  Scene scene;
  scene.CellSize = 20;
  scene.ViewLeft = scene.OriginX = 2;
  scene.ViewTop = scene.OriginY = 30;
  scene.CleanMap = scene.ComposedMap = Filled(mapWidth, mapHeight, MapGreen);
  scene.IconSheet = Filled(300, 20, White);
  scene.IconSheet.SetPixel(5, 5, Black);
  scene.IconSheet.SetPixel(20 + 3, 3, world::Rgb(0x40, 0x80, 0xC0));
  scene.IconSheet.SetPixel(11 * 20 + 10, 9, Black);
  scene.MineSheet = Filled(80, 20, White);
  scene.MineSheet.SetPixel(20 + 3, 4, Black);
  BuildMaskSheet(scene);
  scene.KindStripLeft = 281;
  scene.ColorStripLeft = 661;
  scene.MarkerBitmap.SetSize(20, 20);
  scene.MarkerBitmap.TransparentColor = White;
  scene.MarkerBitmap.Transparent = true;
  scene.Window = Filled(1250, 830, scene.WindowColor);
  for (int p = 1; p <= 27; ++p) scene.Palette[p] = Color(p * 0x090503);
  scene.Palette[1] = LightRed;
  scene.Palette[2] = DarkBlue;
  scene.Palette[3] = White;
  return scene;
}

}  // namespace render::testing
