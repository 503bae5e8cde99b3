#pragma once
// The composed map: the map picture with the markers drawn on it, and the one record of which
// cells hold drawings. Everywhere else the picture equals the clean map it was made from, so a
// new turn restores only those cells, undo swaps them back and the overview works out only the
// pixels over them. Every write goes through this class, which keeps the record true or lets it
// go; nothing else confirms or forgets it.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "render/DrawnCells.h"
#include "render/Surface.h"

namespace render {

class MarkedMap {
 public:
  // The pixels, for reading.
  const Surface& Picture() const {
    Finish();
    return picture_;
  }
  operator const Surface&() const { return Picture(); }
  int Width() const { return picture_.Width(); }
  int Height() const { return picture_.Height(); }
  Color PixelAt(int x, int y) const { return PictureOver({x, y, x + 1, y + 1}).PixelAt(x, y); }
  uint64_t ContentId() const { return Picture().ContentId(); }
  CopyMode Mode() const { return picture_.Mode; }
  bool operator==(const Surface& other) const { return Picture() == other; }
  bool operator==(const MarkedMap& other) const { return Picture() == other.Picture(); }
  void SaveBmp(const std::filesystem::path& path, world::Sync sync = world::Sync::Now) const { Picture().SaveBmp(path, sync); }
  void SavePng(const std::filesystem::path& path, world::Sync sync = world::Sync::Now) const { Picture().SavePng(path, sync); }

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

  // A marker of a turn: its picture, at the top-left corner (px, py) of its cell (x, y).
  struct TurnMarker {
    const Surface* picture;
    int px, py;
    uint8_t x, y;
  };
  // Draws a turn of markers exactly one cell in size, which `markers` lists by cell row (the
  // `rowStart`s index it), in file order within a row: the cells drawn before are made clean
  // again (or, when the record does not hold, the whole of `clean` is placed), then the markers
  // drawn. With `first`, only the cells over that area are composed now and the rest when first
  // read; until then `clean` and the markers' pictures must stay as they are: whoever changes
  // them calls Finish first.
  void DrawTurn(const Surface& clean, int cellSize, std::vector<TurnMarker> markers,
                const std::array<uint32_t, 257>& rowStart, const Area* first = nullptr);
  // Whether nothing is left for later.
  bool Composed() const { return !pending_; }
  // Composes whatever a turn left for later.
  void Finish() const { ComposeOver({0, 0, Width(), Height()}); }
  // The picture, composed at least over `area`.
  const Surface& PictureOver(const Area& area) const {
    ComposeOver(area);
    return picture_;
  }

  MarkedMap() = default;
  // A copy or a move takes the finished picture: what is left for later refers to the original's
  // sources.
  MarkedMap(const MarkedMap& other) { *this = other; }
  MarkedMap(MarkedMap&& other) noexcept { *this = std::move(other); }
  MarkedMap& operator=(const MarkedMap& other);
  MarkedMap& operator=(MarkedMap&& other) noexcept;

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
  // Composes the cells of the pending turn that reach into `area`.
  void ComposeOver(const Area& area) const;

  // A turn of which only some cells are composed.
  struct PendingTurn {
    const Surface* clean = nullptr;
    int cellSize = 0;
    bool restoring = false;  // only the cells drawn before need restoring; the rest is clean
    DrawnCells drawnBefore;  // those cells, when restoring
    DrawnCells cells;        // the cells still to compose
    std::vector<TurnMarker> markers;
    std::array<uint32_t, 257> rowStart{};
  };

  mutable Surface picture_;
  mutable DrawnCells drawn_;
  mutable std::optional<PendingTurn> pending_;
  bool holds_ = false;
  uint64_t cleanId_ = 0;  // ContentId of the clean map the record holds for
  int cellSize_ = 0;
};

}  // namespace render
