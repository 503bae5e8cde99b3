#pragma once
// The editor's whole state and every event handler of the main window, free of any toolkit.
// A handler that fails throws world::FileError, which ends it at the failing step; whoever
// delivers the event (the Qt window, a test) catches it and shows its text in the error box.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "editor/CommandLine.h"
#include "editor/EditHistory.h"
#include "editor/Recovery.h"
#include "editor/Ui.h"
#include "render/Geometry.h"
#include "render/Scene.h"
#include "world/TMap.h"

namespace editor {

class Editor {
 public:
  explicit Editor(Ui& ui) : ui_(ui) {}

  // State, under the names the design gives it.
  world::TMap World;
  uint8_t PlayerCount = 0;
  uint8_t LandCount = 0;
  render::Scene scene;  // pictures, palette, geometry, window surface
  render::EditingState edit;
  std::string EpochDir;  // folder of the epoch, with its trailing separator; empty = working dir
  // Where start-up finds its files; empty = the working directory, by bare name.
  std::filesystem::path StartupDir;
  EditHistory History;  // the mouse's edits, for Undo and Redo
  // The players of the turn read last (0 before any): those beyond it have no name to show.
  uint8_t TurnPlayerCount = 0;
  // The turn file the turn was last read from or saved to (empty before any, and for a turn
  // given as a record), and its size and time then.
  std::filesystem::path TurnFile;
  FileStamp TurnFileStamp;
  uint32_t SaveCount = 0;  // turns saved so far

  // The start-up sequence; a failing step ends it and shows its error.
  void FormCreate();
  // After start-up in a world given on the command line: its folder becomes the epoch, and its
  // turn, if one was given, is loaded as "Загрузить ход" loads it, with its year in the field.
  void OpenWorld(const WorldLocation& world);

  // Painting.
  void FormPaint();
  void RepaintWindow();  // window colour everywhere, then FormPaint
  // The main window was resized: its client area, which the window surface covers, and its
  // outer size, frame included. The view's right and bottom edges move out by as much as the
  // outer size exceeds the design size and stay where the design puts them otherwise; a view
  // scrolled further than its new size allows comes back; the window is repainted.
  void ResizeWindow(int clientWidth, int clientHeight, int outerWidth, int outerHeight);
  // The same for a window of the design's outer size.
  void ResizeWindowSurface(int width, int height) { ResizeWindow(width, height, DesignOuterWidth, DesignOuterHeight); }

  // Menu commands: each asks the Ui for a file, then runs its operation below.
  void N7Click();   // load a map picture
  void N8Click();   // load a turn
  void N2Click();   // open an epoch
  void N1Click();   // load a palette
  void N9Click();   // save the composed map as a picture
  void N10Click();  // save the turn
  void N11Click();  // end the program
  void N12Click();  // toggle the reference window
  void FormDblClick();

  // What the commands do once the file is chosen, for front ends that have the path already.
  // Each throws world::FileError as its command does and then leaves the state as it was.
  // A map picture in place of ComposedMap, shown from its top-left corner; the window is repainted.
  void LoadMap(const std::filesystem::path& path);
  // A turn file read and drawn, its player count shown, the window painted.
  void OpenTurn(const std::filesystem::path& path);
  // The same for a turn read before (`turn`'s year and players 1..playerCount, as a read of its
  // file would leave them); gives the same world, pictures and state as OpenTurn on that file.
  void OpenTurn(const world::TMap& turn, uint8_t playerCount);
  // The folder of `turnFile` becomes the epoch when the file exists; the window is painted.
  void OpenEpochOf(const std::filesystem::path& turnFile);
  // Player colours from a palette file; a file that does not exist changes nothing.
  void LoadPalette(const std::filesystem::path& path);
  // The whole composed map: PNG for a name ending in ".png", BMP otherwise.
  void SavePicture(const std::filesystem::path& path, world::Sync sync = world::Sync::Now) const;
  // The turn file of the world's year and players 1..PlayerCount.
  void SaveTurn(const std::filesystem::path& path);
  // A recovery copy loaded as "Загрузить ход" loads a file, its year shown in the year field,
  // as the turn of `turnFile` with its edits unsaved: what is unsaved is measured against that
  // file as it is now (against no units when it is gone).
  void RestoreTurn(const std::filesystem::path& copy, const std::filesystem::path& turnFile);
  // Makes `turnFile`, as it is now, the turn's file and what its edits are unsaved against: for
  // a save whose file never reached its folder, and for a restored copy.
  void CountEditsAgainst(const std::filesystem::path& turnFile);
  // Whether "Сохранить ход" would now write other players or units than when the turn was last
  // read or saved (or, before any turn, at start-up). The year does not count: the field
  // changes it without any edit.
  bool HasUnsavedEdits() const;
  // The bytes "Сохранить ход" would write now.
  std::string TurnText() const;

  // Controls.
  void SpinEdit1Change();
  void FormKeyUp();
  void UpDown1Click();

  // Mouse, in window pixels.
  void FormMouseMove(int X, int Y);
  void MouseDOwn(MouseButton button, int X, int Y);
  void Image1MouseUp(MouseButton button, int X, int Y);
  // Undo and redo of the mouse's edits. Undo first puts a unit in hand back where it was.
  void Undo();
  void Redo();
  // Lets go of what is in hand: a lifted unit goes back where it was. False when nothing was.
  bool Escape();
  bool CanUndo() const { return History.UndoKind().has_value(); }
  bool CanRedo() const { return History.RedoKind().has_value(); }
  // The menu texts: "Отменить перемещение", "Вернуть удаление", plain "Отменить" when disabled.
  std::string UndoText() const;
  std::string RedoText() const;

  // Tooltip texts for a window pixel: the units on a map cell in the order a press takes them,
  // a kind of the kind strip, a player of the colour strip. Empty where there is nothing to say.
  std::string ToolTipAt(int X, int Y) const;

  // Wheel scrolling in whole cells; positive steps move the view right / down over the map.
  void ScrollByCells(int columns, int rows);
  // Scrolls by whole cells, as far as the wheel could, so that the middle of the part of the
  // view the window shows comes as near to map pixel (px, py) as that allows.
  void CentreViewOn(int px, int py);

  // The path of a year's turn file in the current epoch.
  std::filesystem::path YearFilePath(int32_t year) const;

  // Geometry of the main window's controls that the drawing depends on.
  static constexpr int UpDownLeft = 264;
  static constexpr int UpDownWidth = 17;
  // The main window's outer size in its description, and the view's edges at that size: the
  // left edge of the vertical and the top edge of the horizontal hidden scroll bar.
  static constexpr int DesignOuterWidth = 1146;
  static constexpr int DesignOuterHeight = 857;
  static constexpr int DesignViewRight = 1152;
  static constexpr int DesignViewBottom = 816;

 private:
  void DrawCurrentUnit(uint8_t x, uint8_t y);
  void ReadTurn(const std::filesystem::path& path);
  // Reads a turn file and shows it: OpenTurn, once the front end has been told.
  void ShowTurnFrom(const std::filesystem::path& path);
  // After a turn was taken into World: the history starts afresh, the players are shown.
  void TurnTaken();
  bool InMapZone(int X, int Y) const;
  // Whole cells scrolled from the map's corner, and the most the view allows, in each direction.
  struct ScrollState {
    int column, row, maxColumn, maxRow;
  };
  ScrollState Scrolled() const;
  // Sets the whole cells scrolled, kept within what the view allows; true when the origin moved.
  bool ScrollToCells(int column, int row);
  void PickUp(int X, int Y);
  void Place(int X, int Y);
  void DropOrDelete(MouseButton button, int X, int Y);
  // Opens or continues a step of the history and keeps what the edit is about to change.
  void BeginEdit(EditKind kind, const render::EditingState& before, uint8_t player,
                 std::optional<render::Cell> cell);
  // An edit is complete once nothing is in hand.
  void CommitEditWhenIdle();
  std::string CellToolTip(render::Cell cell) const;
  std::string PlayerToolTip(int player) const;
  // Entry CurrentUnit of CurrentPlayer when it is one of the player's units 1..count.
  world::TUnit* CurrentUnitEntry();

  // The players "Сохранить ход" would have written when the turn was last read or saved.
  void KeepSavedState();
  std::array<world::TPlayer, world::MaxPlayers + 1> savedPlayers_{};
  uint8_t savedPlayerCount_ = 0;

  Ui& ui_;
};

}  // namespace editor
