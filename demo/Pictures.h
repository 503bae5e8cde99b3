#pragma once
// The demo's pictures: the two icon sheets, the map, the legend and the application icon.

#include <cstdint>
#include <vector>

#include "Geography.h"
#include "PixelFont.h"
#include "render/Surface.h"

namespace demo {

constexpr int CellSize = 20;
// The map picture: the grid of 110 x 76 cells with margins for the column and row numbers.
constexpr int MapPictureWidth = 2280;
constexpr int MapPictureHeight = 1560;

// The icons of kinds first .. first + count - 1, side by side, black on white.
render::Surface MakeIconSheet(int firstKind, int count);
render::Surface MakeMapPicture(const Geography& geography, const PixelFont& font);
// Every kind's icon with its letter and name, shown as markers on a light and a dark player
// colour, and the signs of the four cell mines.
render::Surface MakeLegend(const PixelFont& font, const render::Surface& iconSheet, const render::Surface& mineSheet);
// A square icon of `size` pixels (a multiple of 32) with transparent corners, row by row as
// 0xAARRGGBB values.
std::vector<uint32_t> MakeAppIcon(int size, const render::Surface& iconSheet, const render::Surface& mineSheet);

}  // namespace demo
