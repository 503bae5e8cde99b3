// Undo and redo of the mouse's edits, through the Editor's interface.

#include "EditorFixture.h"

namespace editor::testing {
namespace {

// What an edit may change, and what undo and redo must give back byte for byte.
struct Snapshot {
  std::array<world::TPlayer, world::MaxPlayers + 1> players;
  render::Surface composedMap;
  bool operator==(const Snapshot&) const = default;
};

class EditHistoryTest : public EditorMouseTest {
 protected:
  Snapshot Now() const { return {editor.World.players, editor.scene.ComposedMap}; }
  // The window must always show what a full paint would.
  void ExpectWindowAsAFullPaint() {
    const render::Surface shown = editor.scene.Window;
    editor.FormPaint();
    EXPECT_TRUE(editor.scene.Window == shown) << "the window differs from a full paint";
  }
  using Texts = std::pair<std::string, std::string>;
  Texts MenuTexts() const { return {editor.UndoText(), editor.RedoText()}; }
};

TEST_F(EditHistoryTest, UndoAndRedoStepThroughMovesDeletionsAndAdditionsExactly) {
  StartWithTurn();
  EXPECT_EQ(MenuTexts(), Texts("Отменить", "Вернуть"));
  std::vector<Snapshot> states{Now()};
  Press(5, 5);  // the knight, from under player 1's fortress
  Release(9, 6);
  states.push_back(Now());
  EXPECT_EQ(MenuTexts(), Texts("Отменить перемещение", "Вернуть"));
  Press(3, 3);  // player 1's dwarf, from a cell it shares with player 3's copper mine
  Release(3, 3, MouseButton::Right);
  states.push_back(Now());
  EXPECT_EQ(editor.UndoText(), "Отменить удаление");
  ChooseKind(12);
  ChoosePlayer(3);
  Press(8, 4);  // a city on player 2's dragon
  states.push_back(Now());
  EXPECT_EQ(editor.UndoText(), "Отменить добавление");

  for (int step = 3; step > 0; --step) {
    editor.Undo();
    EXPECT_TRUE(Now() == states[step - 1]) << "undo back to state " << step - 1;
    ExpectWindowAsAFullPaint();
  }
  EXPECT_FALSE(editor.CanUndo());
  EXPECT_EQ(MenuTexts(), Texts("Отменить", "Вернуть перемещение"));
  for (int step = 1; step <= 3; ++step) {
    editor.Redo();
    EXPECT_TRUE(Now() == states[step]) << "redo to state " << step;
    ExpectWindowAsAFullPaint();
  }
  EXPECT_FALSE(editor.CanRedo());
}

TEST_F(EditHistoryTest, UndoOnAScrolledViewRepaintsOnlyWhatTheViewShows) {
  PatternMap(2260, 1560).SaveBmp("map.bmp");
  StartWithTurn();
  const Snapshot before = Now();
  Press(8, 4);
  Release(60, 44);  // far down and right, outside the view at first
  editor.ScrollByCells(0, 4);  // row 4 straddles the view's top edge now
  editor.Undo();
  EXPECT_TRUE(Now() == before);
  ExpectWindowAsAFullPaint();
  EXPECT_EQ(editor.scene.Window.PixelAt(CellX(8), 29), editor.scene.WindowColor) << "nothing above the view";
  editor.ScrollByCells(40, 40);
  editor.Redo();
  ExpectWindowAsAFullPaint();
  EXPECT_EQ(editor.World.players[2].units[2], (world::TUnit{60, 44, 8}));
}

TEST_F(EditHistoryTest, AUnitInHandGoesBackAsIfNeverLiftedByUndoOrEscape) {
  StartWithTurn();
  Press(7, 7);
  Release(1, 1);  // one finished move to keep
  const Snapshot afterMove = Now();
  const render::EditingState idle = editor.edit;
  for (bool byEscape : {false, true}) {
    Press(5, 5);
    editor.Image1MouseUp(MouseButton::Left, 300, 25);  // above the map: still in hand
    ASSERT_TRUE(editor.edit.Holding);
    EXPECT_EQ(editor.UndoText(), "Отменить перемещение");
    EXPECT_FALSE(editor.CanRedo()) << "nothing is redone while a unit is in hand";
    if (byEscape)
      EXPECT_TRUE(editor.Escape());
    else
      editor.Undo();
    EXPECT_TRUE(Now() == afterMove);
    EXPECT_EQ(std::tie(editor.edit.Holding, editor.edit.CurrentPlayer, editor.edit.CurrentUnit),
              std::tie(idle.Holding, idle.CurrentPlayer, idle.CurrentUnit));
    EXPECT_EQ(editor.History.UndoCount(), 1u) << "the finished move stays";
  }
  // Escape with nothing in hand does nothing; with a choice from a strip it ends the choice.
  EXPECT_FALSE(editor.Escape());
  ChooseKind(3);
  EXPECT_TRUE(editor.Escape());
  EXPECT_FALSE(editor.edit.Holding);
  Press(9, 9);
  EXPECT_TRUE(Now() == afterMove) << "no placement after the choice ended";
}

TEST_F(EditHistoryTest, LiftThenPlacementIsOneStepAndAPutBackIsNone) {
  StartWithTurn();
  const Snapshot before = Now();
  // A lifted dwarf stays in the list at 0, 0 when the press places a new unit instead.
  Press(3, 3);
  ChooseKind(15);
  Press(4, 9);
  EXPECT_EQ(editor.World.players[1].units[2], (world::TUnit{0, 0, 1}));
  EXPECT_EQ(editor.History.UndoCount(), 1u);
  EXPECT_EQ(editor.UndoText(), "Отменить добавление");
  editor.Undo();
  EXPECT_TRUE(Now() == before);
  // Putting a lone unit back on its cell changes nothing and leaves no step.
  Press(7, 7);
  Release(7, 7);
  EXPECT_TRUE(Now() == before);
  EXPECT_EQ(MenuTexts(), Texts("Отменить", "Вернуть добавление"));
}

TEST_F(EditHistoryTest, EveryLoadAndAPlayerCountChangeStartAFreshHistory) {
  StartWithTurn();
  WriteBytes("Год4.tvk", TurnFile(4, 3));
  WriteBytes("bad.tvk", "legend\r\nnot a year\r\n");
  // A turn with two moves, one of them undone.
  auto startAndEdit = [&] {
    StartWithTurn();
    Press(8, 4);
    Release(8, 9);
    Press(7, 7);
    Release(7, 9);
    editor.Undo();
    ASSERT_TRUE(editor.CanUndo() && editor.CanRedo());
  };
  // What leaves World and the map as they were keeps the history; the rest starts it afresh.
  const std::tuple<const char*, bool, std::function<void()>> commands[] = {
      {"a cancelled turn dialog", true, [&] { editor.N8Click(); }},
      {"a turn that fails to read", true, [&] { ui.dialogAnswers = {dir() / "bad.tvk"}; ui.Run([&] { editor.N8Click(); }); }},
      {"a year without a file", true, [&] { ui.TypeYear(5); }},
      {"the same player count", true, [&] { ui.SetPlayerCount(3); }},
      {"scrolling and painting", true, [&] { editor.ScrollByCells(1, 1); editor.RepaintWindow(); }},
      {"a turn loaded by the menu", false, [&] { ui.dialogAnswers = {dir() / "turn.tvk"}; editor.N8Click(); }},
      {"a turn loaded by the year", false, [&] { ui.TypeYear(4); }},
      {"a map picture", false, [&] { ui.dialogAnswers = {dir() / "map.bmp"}; editor.N7Click(); }},
      {"the player count", false, [&] { ui.SetPlayerCount(12); }},
  };
  for (const auto& [what, keeps, command] : commands) {
    startAndEdit();
    command();
    EXPECT_EQ(std::pair(editor.CanUndo(), editor.CanRedo()), std::pair(keeps, keeps)) << what;
  }
  // A unit in hand when the turn changes stays in hand, as the design has it, with no step open.
  StartWithTurn();
  Press(8, 4);
  ui.TypeYear(4);
  EXPECT_TRUE(editor.edit.Holding);
  EXPECT_FALSE(editor.CanUndo());
}

TEST_F(EditHistoryTest, ThousandsOfEditsAreAllKeptInAFewKilobytesEach) {
  StartWithTurn();
  const Snapshot before = Now();
  constexpr int Edits = 3000;
  for (int i = 0; i < Edits; ++i) {
    const int from = 2 + i % 14, to = 2 + (i + 1) % 14;
    Press(from, 10);
    if (i == 0) Press(7, 7);  // the first move takes the dwarf from 7, 7
    Release(to, 10);
  }
  ASSERT_EQ(editor.History.UndoCount(), size_t(Edits));
  EXPECT_LT(editor.History.MemoryBytes() / Edits, 4200u) << "bytes per move";
  // Off the 400 by 300 picture the window shows markers that the picture cannot hold.
  Press(2 + Edits % 14, 10);
  Release(25, 20);
  EXPECT_EQ(editor.History.UndoCount(), size_t(Edits + 1));
  while (editor.CanUndo()) editor.Undo();
  EXPECT_TRUE(Now() == before);
  ExpectWindowAsAFullPaint();
}

}  // namespace
}  // namespace editor::testing
