#include "render/Painting.h"

#include <algorithm>
#include <utility>

#include "world/TMap.h"

namespace render {

void FormPaint(Scene& scene, uint8_t PlayerCount) {
  Surface& window = scene.Window;
  window.Mode = CopyMode::SrcCopy;
  const int viewWidth = scene.ViewRight - scene.ViewLeft;
  const int viewHeight = scene.ViewBottom - scene.ViewTop;
  const int mapLeft = scene.ViewLeft - scene.OriginX, mapTop = scene.ViewTop - scene.OriginY;
  const Area mapArea{mapLeft, mapTop, mapLeft + viewWidth, mapTop + viewHeight};
  window.CopyArea({scene.ViewLeft, scene.ViewTop, scene.ViewRight, scene.ViewBottom},
                  scene.ComposedMap.PictureOver(mapArea), mapArea);

  window.DrawSurface(scene.KindStripLeft, 0, scene.IconSheet);
  window.DrawSurface(scene.KindStripLeft + scene.IconSheet.Width(), 0, scene.MineSheet);
  PaintColorStrip(scene, PlayerCount);

  // From here on the window's pen is the window colour, which frames the colour strip's cells
  // in later calls of PaintColorStrip.
  window.BrushColor = scene.WindowColor;
  window.PenColor = scene.WindowColor;
  window.DrawRectangle(scene.ComposedMap.Width() + scene.OriginX, scene.ViewTop, scene.ViewRight,
                       scene.ViewBottom);
  window.DrawRectangle(scene.ViewLeft, scene.ComposedMap.Height() + scene.OriginY, scene.ViewRight,
                       scene.ViewBottom);
}

void PaintColorStrip(Scene& scene, uint8_t PlayerCount) {
  Surface& window = scene.Window;
  const int left = scene.ColorStripLeft, cell = scene.CellSize;
  // Start-up places the strip after the icon sheets; one that stopped before has no strip to
  // show, and its squares would cover the year and player fields' labels at x = 0.
  if (left <= 0) return;
  window.BrushColor = scene.WindowColor;
  window.DrawRectangle(left, 0, left + world::MaxPlayers * cell, cell);
  const int players = std::min<int>(PlayerCount, world::MaxPlayers);
  for (int p = 1; p <= players; ++p) {
    window.BrushColor = scene.Palette[p];
    window.DrawRectangle(left + (p - 1) * cell, 0, left + p * cell, cell);
  }
}

void PaintMapArea(Scene& scene, Area mapArea) {
  Surface& window = scene.Window;
  const Area onWindow{std::max(mapArea.x1 + scene.OriginX, scene.ViewLeft), std::max(mapArea.y1 + scene.OriginY, scene.ViewTop),
                      std::min(mapArea.x2 + scene.OriginX, scene.ViewRight), std::min(mapArea.y2 + scene.OriginY, scene.ViewBottom)};
  if (onWindow.x1 >= onWindow.x2 || onWindow.y1 >= onWindow.y2) return;
  // Beyond the picture the view shows the window colour, as FormPaint leaves it.
  const Color brush = std::exchange(window.BrushColor, scene.WindowColor);
  window.FillArea(onWindow.x1, onWindow.y1, onWindow.x2, onWindow.y2);
  window.BrushColor = brush;
  const CopyMode mode = std::exchange(window.Mode, CopyMode::SrcCopy);
  const Area fromMap{onWindow.x1 - scene.OriginX, onWindow.y1 - scene.OriginY, onWindow.x2 - scene.OriginX,
                     onWindow.y2 - scene.OriginY};
  window.CopyArea(onWindow, scene.ComposedMap.PictureOver(fromMap), fromMap);
  window.Mode = mode;
}

void RepaintWindow(Scene& scene, uint8_t PlayerCount) {
  scene.Window.Fill(scene.WindowColor);
  FormPaint(scene, PlayerCount);
}

void ScrollBar1Change(Scene& scene, uint8_t PlayerCount, int position) {
  scene.OriginX = scene.ViewLeft - position * scene.CellSize;
  FormPaint(scene, PlayerCount);
}

void ScrollBar2Change(Scene& scene, uint8_t PlayerCount, int position) {
  scene.OriginY = scene.ViewTop - position * scene.CellSize;
  FormPaint(scene, PlayerCount);
}

}  // namespace render
