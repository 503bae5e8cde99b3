#pragma once
// The history of the mouse's edits of units, for undo and redo.
//
// A step keeps, for every player record and every cell picture of ComposedMap that its edit
// changed, the other side of the change: before the edit while the step can be undone, after it
// once it has been undone. Undo and redo swap those saved parts with the live ones, so each step
// costs one copy of what it touched and both directions restore the exact bytes.
//
// The editor opens a step before the first change of an edit (a lift, a drop, a deletion, a
// placement) and closes it when the edit is complete, that is when nothing is in hand any more.

#include <cstddef>
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "render/Scene.h"
#include "world/TMap.h"

namespace editor {

enum class EditKind { Move, Delete, Add };

// The parts of one step of the history.
namespace edit_history {

struct SavedPlayer {
  uint8_t player = 0;
  uint8_t count = 0;
  std::array<world::TUnit, world::MaxUnits + 1> units{};
};
struct SavedCell {
  uint8_t x = 0, y = 0;
  render::Area cell;  // map pixels the cell's drawing reaches, also beyond the picture
  render::Area area;  // the part inside ComposedMap, whose pixels are kept
  std::vector<render::Color> pixels;
};
struct Step {
  EditKind kind = EditKind::Move;
  uint8_t currentPlayer = 0;  // the other side's current unit
  uint8_t currentUnit = 0;
  std::vector<SavedPlayer> players;
  std::vector<SavedCell> cells;
  size_t Bytes() const;
};

}  // namespace edit_history

class EditHistory {
 public:
  // Opens a step unless one is open; `before` is the editing state the edit started from. The
  // kind names the step; the last kind given to an open step stands.
  void Begin(EditKind kind, const render::EditingState& before);
  // Keeps what the open step is about to change, once per player record and per cell.
  void SavePlayer(const world::TMap& World, uint8_t player);
  void SaveCell(const render::Scene& scene, uint8_t x, uint8_t y);
  // The open step becomes the newest step to undo and the steps that could have been redone go;
  // unless it changed nothing in the end, as when a unit was put back where it stood.
  void Commit(const world::TMap& World, const render::Scene& scene);
  // Forgets every step, the open one too, leaving what they changed as it is.
  void Reset();

  bool HasOpenStep() const { return open_.has_value(); }
  // The step that Undo would take back (the open step first), or nothing.
  std::optional<EditKind> UndoKind() const;
  std::optional<EditKind> RedoKind() const;
  size_t UndoCount() const { return undo_.size(); }
  size_t RedoCount() const { return redo_.size(); }
  // How often the history has started afresh.
  uint64_t Starts() const { return starts_; }

  // Takes back the open step, or else the newest step, restoring World and ComposedMap exactly,
  // showing the restored cells on the window and putting the current unit back to what it was.
  // Whatever was in hand is let go. False when there was nothing to take back.
  bool Undo(world::TMap& World, render::Scene& scene, render::EditingState& edit);
  // Takes back the open step alone; false when none is open.
  bool CancelOpenStep(world::TMap& World, render::Scene& scene, render::EditingState& edit);
  // Makes the newest undone step again; false when there is none, or while a step is open.
  bool Redo(world::TMap& World, render::Scene& scene, render::EditingState& edit);

  // What the kept steps hold, in bytes.
  size_t MemoryBytes() const;
  // Past this the oldest steps are let go: tens of thousands of edits of the largest game.
  static constexpr size_t MemoryLimit = size_t(64) << 20;

 private:
  using SavedPlayer = edit_history::SavedPlayer;
  using SavedCell = edit_history::SavedCell;
  using Step = edit_history::Step;

  // Swaps the step's saved parts with the live ones: backwards undoes, forwards redoes.
  static void Swap(Step& step, bool backwards, world::TMap& World, render::Scene& scene, render::EditingState& edit);
  static bool ChangedAnything(const Step& step, const world::TMap& World, const render::Scene& scene);
  void KeepWithinMemoryLimit();

  std::optional<Step> open_;
  std::deque<Step> undo_;   // oldest first
  std::vector<Step> redo_;  // the next to redo last
  size_t bytes_ = 0;        // of the steps in undo_ and redo_
  uint64_t starts_ = 0;
};

}  // namespace editor
