#include "render/MarkedMap.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "render/Geometry.h"

namespace render {

void MarkedMap::Load(const std::filesystem::path& path) {
  picture_.LoadBmp(path);
  holds_ = false;
}

MarkedMap& MarkedMap::operator=(const Surface& picture) {
  picture_ = picture;
  holds_ = false;
  return *this;
}

Surface& MarkedMap::Unrecorded() {
  holds_ = false;
  return picture_;
}

const DrawnCells* MarkedMap::DrawnOver(const Surface& clean, int cellSize) const {
  return Holds(clean, cellSize) ? &drawn_ : nullptr;
}

void MarkedMap::DrawMarker(const Surface& marker, int px, int py, uint8_t x, uint8_t y, int cellSize) {
  picture_.DrawSurface(px, py, marker);
  // A marker larger than a cell reaches cells the record would not name.
  if (marker.Width() <= cellSize && marker.Height() <= cellSize)
    drawn_.Mark(x, y);
  else
    holds_ = false;
}

void MarkedMap::RestoreCell(const Area& cell, const Surface& clean) {
  picture_.Mode = CopyMode::SrcCopy;
  picture_.CopyArea(cell, clean, cell);
  // The cell is now that picture's: clean for the record only when it is the record's picture.
  if (holds_ && cleanId_ != clean.ContentId()) holds_ = false;
}

void MarkedMap::SwapArea(const Area& area, std::vector<Color>& kept, uint8_t x, uint8_t y, bool withinCell) {
  const int width = area.x2 - area.x1;
  Color* saved = kept.data();
  for (int row = area.y1; row < area.y2; ++row, saved += width)
    std::swap_ranges(saved, saved + width, picture_.Row(row) + area.x1);
  if (withinCell)
    drawn_.Mark(x, y);
  else
    holds_ = false;
}

void MarkedMap::PlaceClean(const Surface& clean) {
  picture_.DrawSurface(0, 0, clean);
  holds_ = false;
}

bool MarkedMap::CopiesClean(const Surface& clean) const {
  // Only a plain copy between pictures of one size leaves the picture equal to the clean map.
  return picture_.Mode == CopyMode::SrcCopy && picture_.Width() == clean.Width() && picture_.Height() == clean.Height();
}

bool MarkedMap::BeginTurn(const Surface& clean, int cellSize) {
  const bool restoring = CopiesClean(clean) && Holds(clean, cellSize);
  if (!restoring) drawn_.Clear();
  return restoring;
}

void MarkedMap::CopyCleanRows(int from, int to, const Surface& clean) {
  picture_.CopyArea({0, from, picture_.Width(), to}, clean, {0, from, picture_.Width(), to});
}

namespace {

// Restoring a row of cells run by run pays off only while the runs are few and short: on the
// benchmark's 2260-pixel map a pixel copied in short runs at scattered places costs about four
// times one copied as part of whole rows, and each run adds about as much as 16 pixels.
constexpr int ScatteredPixelCost = 4;
constexpr int RunCostInPixels = 16;

}  // namespace

// Copies the clean map over the drawn cells of row `y`; where that is cheaper, the whole band of
// pixel rows is copied instead. The copy goes pixel row by pixel row across all the runs, front
// to back through memory.
void MarkedMap::RestoreDrawnRow(uint8_t y, const Surface& clean, int cellSize) {
  const DrawnCells::Row cells = drawn_.TakeRow(y);
  const int top = (y - 1) * cellSize + MapMarginY;
  const int from = std::max(top, 0), to = std::min(top + cellSize, picture_.Height());
  if (from >= to) return;
  struct Columns {
    int left, right;
  };
  std::array<Columns, DrawnCells::Columns / 2 + 1> runs;
  size_t runCount = 0;
  int64_t scatteredCost = 0;
  DrawnCells::ForEachRun(cells, [&](int first, int end) {
    const int start = first * cellSize + MapMarginX;
    const int left = std::max(start, 0), right = std::min(start + (end - first) * cellSize, picture_.Width());
    if (left >= right) return;
    runs[runCount++] = {left, right};
    scatteredCost += ScatteredPixelCost * (right - left + RunCostInPixels);
  });
  if (runCount == 0) return;
  if (scatteredCost >= picture_.Width()) {
    runs[0] = {0, picture_.Width()};
    runCount = 1;
  }
  for (int row = from; row < to; ++row) {
    Color* target = picture_.Row(row);
    const Color* source = clean.Row(row);
    for (size_t i = 0; i < runCount; ++i)
      std::memcpy(target + runs[i].left, source + runs[i].left, size_t(runs[i].right - runs[i].left) * sizeof(Color));
  }
}

void MarkedMap::DrawTurnMarker(const Surface& marker, int px, int py, uint8_t x, uint8_t y) {
  picture_.DrawSurface(px, py, marker);
  drawn_.Mark(x, y);
}

void MarkedMap::EndTurn(const Surface& clean, int cellSize) {
  if (CopiesClean(clean))
    HoldFor(clean, cellSize);
  else
    holds_ = false;
}

}  // namespace render
