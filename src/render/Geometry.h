#pragma once
// Window pixels, map pixels and cells.

#include <cstdint>

#include "render/Scene.h"

namespace render {

struct Cell {
  uint8_t x = 0;
  uint8_t y = 0;
  bool operator==(const Cell&) const = default;
};
struct MapPixel {
  int px = 0;
  int py = 0;
  bool operator==(const MapPixel&) const = default;
};

// The map margin: cell (x, y) has its top-left corner at map pixel (x*CellSize + 20, (y-1)*CellSize + 18).
constexpr int MapMarginX = 20;
constexpr int MapMarginY = 18;

// Truncates toward zero and keeps the low 8 bits of each result.
Cell PixelToCell(const Scene& scene, int X, int Y);
MapPixel CellToPixel(const Scene& scene, uint8_t x, uint8_t y);

// The part of the view that the window shows, in window pixels: the view ends where the window
// does when the window is the smaller (a window not sized yet shows the whole view).
Area VisibleView(const Scene& scene);

}  // namespace render
