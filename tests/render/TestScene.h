#pragma once
// A scene laid out as after a normal start-up, with small pictures made on the spot.

#include "render/Scene.h"

namespace render::testing {

constexpr Color WindowGrey = 0xF0F0F0;
constexpr Color MapGreen = 0x208040;

inline Surface Filled(int width, int height, Color c) {
  Surface s;
  s.SetSize(width, height);
  s.Fill(c);
  return s;
}

// Icon sheets are white, the marker's transparent colour therefore white too.
inline Scene StartedScene(int mapWidth = 300, int mapHeight = 200) {
  Scene scene;
  scene.CellSize = 20;
  scene.ViewLeft = scene.OriginX = 2;
  scene.ViewTop = scene.OriginY = 30;
  scene.WindowColor = WindowGrey;
  scene.CleanMap = Filled(mapWidth, mapHeight, MapGreen);
  scene.ComposedMap = scene.CleanMap;
  scene.IconSheet = Filled(300, 20, White);
  scene.MineSheet = Filled(80, 20, White);
  scene.KindStripLeft = 281;
  scene.ColorStripLeft = scene.KindStripLeft + scene.IconSheet.Width() + 4 * scene.CellSize;
  scene.MarkerBitmap.SetSize(20, 20);
  scene.MarkerBitmap.TransparentColor = scene.IconSheet.PixelAt(1, 1);
  scene.MarkerBitmap.Transparent = true;
  scene.Window = Filled(1250, 830, WindowGrey);
  for (int p = 1; p <= 27; ++p) scene.Palette[p] = Color(p * 0x090503);
  return scene;
}

}  // namespace render::testing
