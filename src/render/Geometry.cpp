#include "render/Geometry.h"

#include <algorithm>

namespace render {

// C++ division truncates toward zero, which is what makes the left and top margins read as
// column 0 and row 1.
Cell PixelToCell(const Scene& scene, int X, int Y) {
  if (scene.CellSize <= 0) return {};  // geometry not set up yet
  const int x = (X - scene.OriginX - MapMarginX) / scene.CellSize;
  const int y = (Y - scene.OriginY - MapMarginY) / scene.CellSize + 1;
  return {uint8_t(x), uint8_t(y)};
}

MapPixel CellToPixel(const Scene& scene, uint8_t x, uint8_t y) {
  return {x * scene.CellSize + MapMarginX, (y - 1) * scene.CellSize + MapMarginY};
}

Area VisibleView(const Scene& scene) {
  const Surface& window = scene.Window;
  return {scene.ViewLeft, scene.ViewTop, window.Width() > 0 ? std::min(scene.ViewRight, window.Width()) : scene.ViewRight,
          window.Height() > 0 ? std::min(scene.ViewBottom, window.Height()) : scene.ViewBottom};
}

}  // namespace render
