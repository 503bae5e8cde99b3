#include "render/MarkedMap.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "render/Geometry.h"

namespace render {

namespace {

// Restoring a row of cells run by run pays off only while the runs are few and short: on the
// benchmark's 2260-pixel map a pixel copied in short runs at scattered places costs about four
// times one copied as part of whole rows, and each run adds about as much as 16 pixels.
constexpr int ScatteredPixelCost = 4;
constexpr int RunCostInPixels = 16;

// Floor division, for pixels left of and above the grid.
int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The pixels of cells (x, y) cover columns [MapMarginX, MapMarginX + 256 * size) and rows
// [MapMarginY - size, MapMarginY + 255 * size); the cell of a pixel, clamped to that grid.
int ColumnOf(int px, int size) { return std::clamp(FloorDiv(px - MapMarginX, size), 0, DrawnCells::Columns - 1); }
int RowOf(int py, int size) { return std::clamp(FloorDiv(py - MapMarginY, size) + 1, 0, DrawnCells::Rows - 1); }

DrawnCells::Row ColumnsBetween(int first, int last) {
  DrawnCells::Row row{};
  for (int x = first; x <= last; ++x) row[size_t(x / 64)] |= uint64_t(1) << (x % 64);
  return row;
}

DrawnCells::Row And(const DrawnCells::Row& a, const DrawnCells::Row& b) {
  DrawnCells::Row r;
  for (size_t i = 0; i < r.size(); ++i) r[i] = a[i] & b[i];
  return r;
}

bool IsEmpty(const DrawnCells::Row& row) {
  return std::all_of(row.begin(), row.end(), [](uint64_t word) { return word == 0; });
}

}  // namespace

MarkedMap& MarkedMap::operator=(const MarkedMap& other) {
  if (this == &other) return *this;
  other.Finish();
  pending_.reset();
  picture_ = other.picture_;
  drawn_ = other.drawn_;
  holds_ = other.holds_;
  cleanId_ = other.cleanId_;
  cellSize_ = other.cellSize_;
  return *this;
}

MarkedMap& MarkedMap::operator=(MarkedMap&& other) noexcept {
  if (this == &other) return *this;
  other.Finish();
  pending_.reset();
  picture_ = std::move(other.picture_);
  drawn_ = other.drawn_;
  holds_ = std::exchange(other.holds_, false);
  cleanId_ = other.cleanId_;
  cellSize_ = other.cellSize_;
  return *this;
}

void MarkedMap::Load(const std::filesystem::path& path) {
  Surface loaded;
  loaded.LoadBmp(path);
  // The drawing state is the picture's own, not the file's.
  loaded.PenColor = picture_.PenColor;
  loaded.BrushColor = picture_.BrushColor;
  loaded.Mode = picture_.Mode;
  loaded.Transparent = picture_.Transparent;
  loaded.TransparentColor = picture_.TransparentColor;
  pending_.reset();
  picture_ = std::move(loaded);
  holds_ = false;
}

MarkedMap& MarkedMap::operator=(const Surface& picture) {
  pending_.reset();
  picture_ = picture;
  holds_ = false;
  return *this;
}

Surface& MarkedMap::Unrecorded() {
  Finish();
  holds_ = false;
  return picture_;
}

const DrawnCells* MarkedMap::DrawnOver(const Surface& clean, int cellSize) const {
  Finish();
  return Holds(clean, cellSize) ? &drawn_ : nullptr;
}

void MarkedMap::DrawMarker(const Surface& marker, int px, int py, uint8_t x, uint8_t y, int cellSize) {
  ComposeOver({px, py, px + marker.Width(), py + marker.Height()});
  picture_.DrawSurface(px, py, marker);
  // A marker larger than a cell reaches cells the record would not name.
  if (marker.Width() <= cellSize && marker.Height() <= cellSize)
    drawn_.Mark(x, y);
  else
    holds_ = false;
}

void MarkedMap::RestoreCell(const Area& cell, const Surface& clean) {
  ComposeOver(cell);
  picture_.Mode = CopyMode::SrcCopy;
  picture_.CopyArea(cell, clean, cell);
  // The cell is now that picture's: clean for the record only when it is the record's picture.
  if (holds_ && cleanId_ != clean.ContentId()) holds_ = false;
}

void MarkedMap::SwapArea(const Area& area, std::vector<Color>& kept, uint8_t x, uint8_t y, bool withinCell) {
  ComposeOver(area);
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
  Finish();
  picture_.DrawSurface(0, 0, clean);
  holds_ = false;
}

bool MarkedMap::CopiesClean(const Surface& clean) const {
  // Only a plain copy between pictures of one size leaves the picture equal to the clean map.
  return picture_.Mode == CopyMode::SrcCopy && picture_.Width() == clean.Width() && picture_.Height() == clean.Height();
}

void MarkedMap::DrawTurn(const Surface& clean, int cellSize, std::vector<TurnMarker> markers,
                         const std::array<uint32_t, 257>& rowStart, const Area* first) {
  if (pending_ && pending_->clean == &clean && pending_->cellSize == cellSize && CopiesClean(clean)) {
    // What the turn before left for later is wanted no more: those cells only need to be made
    // clean again, as the cells it drew do.
    drawn_.Add(pending_->cells);
    pending_.reset();
  }
  Finish();
  if (!CopiesClean(clean)) {
    // Combined by another mode, or of another size: the clean map goes over all of it as the
    // copy mode says, then the markers; every pixel row is covered before its markers come.
    picture_.CopyArea({0, 0, Width(), Height()}, clean, {0, 0, Width(), Height()});
    for (const TurnMarker& m : markers) picture_.DrawSurface(m.px, m.py, *m.picture);
    holds_ = false;
    return;
  }
  PendingTurn turn;
  turn.clean = &clean;
  turn.cellSize = cellSize;
  turn.restoring = Holds(clean, cellSize);
  turn.markers = std::move(markers);
  turn.rowStart = rowStart;
  if (turn.restoring) {
    turn.drawnBefore = drawn_;
    turn.cells = drawn_;
    for (const TurnMarker& m : turn.markers) turn.cells.Mark(m.x, m.y);
  } else {
    // Everything is composed anew: the pixels of no cell at once, every cell later.
    const int gridLeft = MapMarginX, gridRight = MapMarginX + DrawnCells::Columns * cellSize;
    const int gridTop = MapMarginY - cellSize, gridBottom = MapMarginY + (DrawnCells::Rows - 1) * cellSize;
    for (const Area& outside : {Area{0, 0, std::min(gridLeft, Width()), Height()}, Area{gridRight, 0, Width(), Height()},
                                Area{0, 0, Width(), gridTop}, Area{0, gridBottom, Width(), Height()}})
      if (outside.x1 < outside.x2 && outside.y1 < outside.y2) picture_.CopyArea(outside, clean, outside);
    const int lastColumn = ColumnOf(Width() - 1, cellSize), lastRow = RowOf(Height() - 1, cellSize);
    for (int y = RowOf(0, cellSize); y <= lastRow; ++y)
      for (int x = 0; x <= lastColumn; ++x) turn.cells.Mark(uint8_t(x), uint8_t(y));
  }
  drawn_.Clear();
  HoldFor(clean, cellSize);
  pending_ = std::move(turn);
  ComposeOver(first ? *first : Area{0, 0, Width(), Height()});
}

void MarkedMap::ComposeOver(const Area& area) const {
  if (!pending_ || Width() <= 0 || Height() <= 0) return;
  PendingTurn& turn = *pending_;
  const Surface& clean = *turn.clean;
  const int size = turn.cellSize;
  const int x1 = std::max(std::min(area.x1, area.x2), 0), x2 = std::min(std::max(area.x1, area.x2), Width());
  const int y1 = std::max(std::min(area.y1, area.y2), 0), y2 = std::min(std::max(area.y1, area.y2), Height());
  if (x1 >= x2 || y1 >= y2) return;
  const DrawnCells::Row columns = ColumnsBetween(ColumnOf(x1, size), ColumnOf(x2 - 1, size));
  for (int y = RowOf(y1, size); y <= RowOf(y2 - 1, size); ++y) {
    const DrawnCells::Row now = And(turn.cells.CellsOfRow(uint8_t(y)), columns);
    if (IsEmpty(now)) continue;
    const int top = (y - 1) * size + MapMarginY;
    const int from = std::max(top, 0), to = std::min(top + size, Height());

    // The cells to make clean, run by run; where that costs more, every cell that holds no
    // composed marker, which may take clean pixels again.
    const DrawnCells::Row restore = turn.restoring ? And(now, turn.drawnBefore.CellsOfRow(uint8_t(y))) : now;
    struct Columns {
      int left, right;
    };
    std::vector<Columns> runs;
    int64_t scatteredCost = 0;
    auto addRun = [&](int first, int end) {
      const int left = std::max(first * size + MapMarginX, 0), right = std::min(end * size + MapMarginX, Width());
      if (left >= right) return;
      runs.push_back({left, right});
      scatteredCost += ScatteredPixelCost * (right - left + RunCostInPixels);
    };
    DrawnCells::ForEachRun(restore, addRun);
    if (scatteredCost >= Width()) {
      DrawnCells::Row free = drawn_.CellsOfRow(uint8_t(y));
      const DrawnCells::Row& pendingCells = turn.cells.CellsOfRow(uint8_t(y));
      for (size_t i = 0; i < free.size(); ++i) free[i] = ~(free[i] & ~pendingCells[i]) | now[i];
      runs.clear();
      DrawnCells::ForEachRun(free, addRun);
    }
    for (int row = from; row < to; ++row) {
      Color* target = picture_.Row(row);
      const Color* source = clean.Row(row);
      for (const Columns& run : runs)
        std::memcpy(target + run.left, source + run.left, size_t(run.right - run.left) * sizeof(Color));
    }

    for (uint32_t i = turn.rowStart[size_t(y)]; i < turn.rowStart[size_t(y) + 1]; ++i) {
      const TurnMarker& m = turn.markers[i];
      if (!(now[m.x / 64] >> (m.x % 64) & 1)) continue;
      picture_.DrawSurface(m.px, m.py, *m.picture);
      drawn_.Mark(m.x, m.y);
    }
    turn.cells.Remove(uint8_t(y), now);
  }
  bool done = true;
  for (int y = 0; y < DrawnCells::Rows && done; ++y) done = IsEmpty(turn.cells.CellsOfRow(uint8_t(y)));
  if (done) pending_.reset();
}

}  // namespace render
