#include "editor/EditHistory.h"

#include <algorithm>
#include <utility>

#include "render/Geometry.h"
#include "render/Painting.h"

namespace editor {

size_t edit_history::Step::Bytes() const {
  size_t bytes = sizeof(Step) + players.capacity() * sizeof(SavedPlayer) + cells.capacity() * sizeof(SavedCell);
  for (const SavedCell& cell : cells) bytes += cell.pixels.capacity() * sizeof(render::Color);
  return bytes;
}

void EditHistory::Begin(EditKind kind, const render::EditingState& before) {
  if (!open_) {
    open_.emplace();
    open_->currentPlayer = before.CurrentPlayer;
    open_->currentUnit = before.CurrentUnit;
  }
  open_->kind = kind;
}

void EditHistory::SavePlayer(const world::TMap& World, uint8_t player) {
  if (!open_ || player < 1 || player > world::MaxPlayers) return;
  for (const SavedPlayer& saved : open_->players)
    if (saved.player == player) return;
  const world::TPlayer& live = World.players[player];
  open_->players.push_back({player, live.count, live.units});
}

void EditHistory::SaveCell(const render::Scene& scene, uint8_t x, uint8_t y) {
  if (!open_) return;
  for (const SavedCell& saved : open_->cells)
    if (saved.x == x && saved.y == y) return;
  // A cell's restore and a marker drawn on it reach as far as the larger of the two.
  const render::MapPixel at = render::CellToPixel(scene, x, y);
  const int width = std::max(scene.CellSize, scene.MarkerBitmap.Width());
  const int height = std::max(scene.CellSize, scene.MarkerBitmap.Height());
  const render::Area cell{at.px, at.py, at.px + width, at.py + height};
  const render::Surface& map = scene.ComposedMap.PictureOver(cell);
  render::Area area{std::max(at.px, 0), std::max(at.py, 0), std::min(at.px + width, map.Width()),
                    std::min(at.py + height, map.Height())};
  // Off the picture a cell keeps no pixels, but undoing still shows it on the window again.
  if (area.x1 >= area.x2 || area.y1 >= area.y2) area = {};
  SavedCell saved{x, y, cell, area, {}};
  saved.pixels.reserve(size_t(area.x2 - area.x1) * size_t(area.y2 - area.y1));
  for (int row = area.y1; row < area.y2; ++row)
    saved.pixels.insert(saved.pixels.end(), map.Row(row) + area.x1, map.Row(row) + area.x2);
  open_->cells.push_back(std::move(saved));
}

bool EditHistory::ChangedAnything(const Step& step, const world::TMap& World, const render::Scene& scene) {
  for (const SavedPlayer& saved : step.players) {
    const world::TPlayer& live = World.players[saved.player];
    if (saved.count != live.count || saved.units != live.units) return true;
  }
  for (const SavedCell& saved : step.cells) {
    const int width = saved.area.x2 - saved.area.x1;
    const render::Color* kept = saved.pixels.data();
    for (int row = saved.area.y1; row < saved.area.y2; ++row, kept += width)
      if (!std::equal(kept, kept + width, scene.ComposedMap.PictureOver(saved.area).Row(row) + saved.area.x1)) return true;
  }
  return false;
}

void EditHistory::Commit(const world::TMap& World, const render::Scene& scene) {
  if (!open_) return;
  Step step = std::move(*open_);
  open_.reset();
  if (!ChangedAnything(step, World, scene)) return;
  for (const Step& dropped : redo_) bytes_ -= dropped.Bytes();
  redo_.clear();
  bytes_ += step.Bytes();
  undo_.push_back(std::move(step));
  KeepWithinMemoryLimit();
}

void EditHistory::Reset() {
  open_.reset();
  undo_.clear();
  redo_.clear();
  bytes_ = 0;
  ++starts_;
}

std::optional<EditKind> EditHistory::UndoKind() const {
  if (open_) return open_->kind;
  if (undo_.empty()) return std::nullopt;
  return undo_.back().kind;
}

std::optional<EditKind> EditHistory::RedoKind() const {
  if (open_ || redo_.empty()) return std::nullopt;
  return redo_.back().kind;
}

bool EditHistory::CancelOpenStep(world::TMap& World, render::Scene& scene, render::EditingState& edit) {
  if (!open_) return false;
  Swap(*open_, /*backwards=*/true, World, scene, edit);
  open_.reset();
  return true;
}

bool EditHistory::Undo(world::TMap& World, render::Scene& scene, render::EditingState& edit) {
  if (CancelOpenStep(World, scene, edit)) return true;
  if (undo_.empty()) return false;
  Swap(undo_.back(), /*backwards=*/true, World, scene, edit);
  redo_.push_back(std::move(undo_.back()));
  undo_.pop_back();
  return true;
}

bool EditHistory::Redo(world::TMap& World, render::Scene& scene, render::EditingState& edit) {
  if (open_ || redo_.empty()) return false;
  Swap(redo_.back(), /*backwards=*/false, World, scene, edit);
  undo_.push_back(std::move(redo_.back()));
  redo_.pop_back();
  return true;
}

size_t EditHistory::MemoryBytes() const { return bytes_ + (open_ ? open_->Bytes() : 0); }

void EditHistory::KeepWithinMemoryLimit() {
  while (bytes_ > MemoryLimit && !undo_.empty()) {
    bytes_ -= undo_.front().Bytes();
    undo_.pop_front();
  }
}

void EditHistory::Swap(Step& step, bool backwards, world::TMap& World, render::Scene& scene,
                       render::EditingState& edit) {
  // Parts saved later were saved over what earlier parts had already changed, so undoing takes
  // them in reverse order and redoing in the order they were saved.
  auto inOrder = [backwards](auto& parts, auto swapPart) {
    if (backwards)
      std::for_each(parts.rbegin(), parts.rend(), swapPart);
    else
      std::for_each(parts.begin(), parts.end(), swapPart);
  };
  inOrder(step.players, [&](SavedPlayer& saved) {
    world::TPlayer& live = World.players[saved.player];
    std::swap(saved.count, live.count);
    std::swap(saved.units, live.units);
  });

  inOrder(step.cells, [&](SavedCell& saved) {
    const bool withinCell = saved.area.x2 - saved.area.x1 <= scene.CellSize && saved.area.y2 - saved.area.y1 <= scene.CellSize;
    scene.ComposedMap.SwapArea(saved.area, saved.pixels, saved.x, saved.y, withinCell);
    render::PaintMapArea(scene, saved.cell);
  });

  std::swap(step.currentPlayer, edit.CurrentPlayer);
  std::swap(step.currentUnit, edit.CurrentUnit);
  edit.Holding = false;
}

}  // namespace editor
