#pragma once
// The composed map: the map picture with the markers drawn on it, and the one record of which
// cells hold drawings. Everywhere else the picture equals the clean map it was made from, so a
// new turn restores only those cells, undo swaps them back and the overview works out only the
// pixels over them. Every write goes through this class, which keeps the record true or lets it
// go; nothing else confirms or forgets it.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "render/DrawnCells.h"
#include "render/Surface.h"

namespace render {

class MarkedMap {
 public:
  // The pixels, for reading.
  const Surface& Picture() const { return picture_; }
  operator const Surface&() const { return picture_; }
  int Width() const { return picture_.Width(); }
  int Height() const { return picture_.Height(); }
  Color PixelAt(int x, int y) const { return picture_.PixelAt(x, y); }
  uint64_t ContentId() const { return picture_.ContentId(); }
  CopyMode Mode() const { return picture_.Mode; }
  bool operator==(const Surface& other) const { return picture_ == other; }
  bool operator==(const MarkedMap& other) const { return picture_ == other.picture_; }
  void SaveBmp(const std::filesystem::path& path, world::Sync sync = world::Sync::Now) const { picture_.SaveBmp(path, sync); }
  void SavePng(const std::filesystem::path& path, world::Sync sync = world::Sync::Now) const { picture_.SavePng(path, sync); }

  // A whole new picture, of which nothing is known: loaded (on failure all stays as it was),
  // emptied, or put in place.
  void Load(const std::filesystem::path& path);
  void Clear() { *this = Surface(); }
  MarkedMap& operator=(const Surface& picture);
  // The pixels for a write that the record cannot follow, which is therefore let go.
  Surface& Unrecorded();

  // The drawn cells, when the picture is `clean` (at `cellSize`) but for them; otherwise null.
  const DrawnCells* DrawnOver(const Surface& clean, int cellSize) const;

  // `marker` placed at map pixel (px, py), the top-left corner of cell (x, y), as DrawSurface
  // places it.
  void DrawMarker(const Surface& marker, int px, int py, uint8_t x, uint8_t y, int cellSize);
  // The `cell` area of `clean` copied plainly over the picture: the cell is clean again.
  void RestoreCell(const Area& cell, const Surface& clean);
  // Swaps `area` of the picture with `kept` (row by row, its pixels) for undo and redo; the
  // area is cell (x, y)'s, and no larger than a cell when `withinCell`.
  void SwapArea(const Area& area, std::vector<Color>& kept, uint8_t x, uint8_t y, bool withinCell);
  // The whole of `clean` drawn over the picture with its copy mode, as a turn drawn marker by
  // marker starts; the record is let go, since such turns are the unusual ones.
  void PlaceClean(const Surface& clean);

  // A turn drawn band by band. Begin: true when only the drawn cells need to be made clean
  // again, since the rest is; otherwise the caller copies `clean` over every row of pixels.
  bool BeginTurn(const Surface& clean, int cellSize);
  // The pixel rows [from, to) copied from `clean`, of the same size.
  void CopyCleanRows(int from, int to, const Surface& clean);
  // The drawn cells of cell row `y` made clean again (after BeginTurn gave true).
  void RestoreDrawnRow(uint8_t y, const Surface& clean, int cellSize);
  // A marker of a turn, drawn after its cell row was made clean.
  void DrawTurnMarker(const Surface& marker, int px, int py, uint8_t x, uint8_t y);
  // The turn is drawn: from now on the record holds for `clean` when the picture is its plain
  // copy but for the markers.
  void EndTurn(const Surface& clean, int cellSize);

 private:
  bool Holds(const Surface& clean, int cellSize) const {
    return holds_ && cleanId_ == clean.ContentId() && cellSize_ == cellSize;
  }
  void HoldFor(const Surface& clean, int cellSize) {
    holds_ = true;
    cleanId_ = clean.ContentId();
    cellSize_ = cellSize;
  }
  bool CopiesClean(const Surface& clean) const;

  Surface picture_;
  DrawnCells drawn_;
  bool holds_ = false;
  uint64_t cleanId_ = 0;  // ContentId of the clean map the record holds for
  int cellSize_ = 0;
};

}  // namespace render
