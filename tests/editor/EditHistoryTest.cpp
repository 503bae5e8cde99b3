// Undo and redo of the mouse's edits, through the Editor's interface.

#include "EditorFixture.h"
#include "render/Painting.h"

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
  // Start-up and a turn of three players whose units crowd a few cells, so that lifting one
  // uncovers another and markers of several colours overlap.
  void StartWithTurn() {
    ui.errors.clear();
    Start();
    WriteBytes("turn.tvk",
               "legend\r\n4\r\nPlayer\r\nA\r\n0 0\r\n\xCA 5 5,\r\n\xE3 3 3,7 7,\r\n"
               "Player\r\nB\r\n1 2\r\n\xF0 5 5,\r\n\xE4 8 4,\r\n"
               "Player\r\nC\r\n0 0\r\nC 3 3,\r\nEND\r\n");
    ui.dialogAnswers = {dir() / "turn.tvk"};
    ui.Run([&] { editor.N8Click(); });
    ASSERT_EQ(ui.errors, std::vector<std::string>{});
  }
  Snapshot Now() const { return {editor.World.players, editor.scene.ComposedMap}; }
  // The window's view, which must always show ComposedMap as a full paint would.
  render::Surface View() const {
    render::Surface view;
    const render::Scene& s = editor.scene;
    view.SetSize(s.ViewRight - s.ViewLeft, s.ViewBottom - s.ViewTop);
    view.CopyArea({0, 0, view.Width(), view.Height()}, s.Window, {s.ViewLeft, s.ViewTop, s.ViewRight, s.ViewBottom});
    return view;
  }
  void ExpectViewShowsComposedMap() {
    const render::Surface shown = View();
    editor.FormPaint();
    EXPECT_TRUE(View() == shown) << "the window's view differs from a full paint";
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
  EXPECT_EQ(editor.History.UndoCount(), 3u);

  for (int step = 3; step > 0; --step) {
    editor.Undo();
    EXPECT_TRUE(Now() == states[step - 1]) << "undo back to state " << step - 1;
    ExpectViewShowsComposedMap();
  }
  EXPECT_FALSE(editor.CanUndo());
  EXPECT_EQ(MenuTexts(), Texts("Отменить", "Вернуть перемещение"));
  for (int step = 1; step <= 3; ++step) {
    editor.Redo();
    EXPECT_TRUE(Now() == states[step]) << "redo to state " << step;
    ExpectViewShowsComposedMap();
  }
  EXPECT_FALSE(editor.CanRedo());

  // A new edit after an undo drops what could have been redone.
  editor.Undo();
  editor.Undo();
  Press(7, 7);
  Release(2, 2);
  EXPECT_FALSE(editor.CanRedo());
  editor.Undo();
  EXPECT_TRUE(Now() == states[1]);
  EXPECT_FALSE(editor.edit.Holding);
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
  ExpectViewShowsComposedMap();
  EXPECT_EQ(editor.scene.Window.PixelAt(CellX(8), 29), editor.scene.WindowColor) << "nothing above the view";
  editor.ScrollByCells(40, 40);
  editor.Redo();
  ExpectViewShowsComposedMap();
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
  EXPECT_EQ(editor.World.players[1].count, 3) << "no placement after the choice ended";
  EXPECT_TRUE(Now() == afterMove);
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
  EXPECT_EQ(editor.UndoText(), "Отменить");
  EXPECT_EQ(editor.RedoText(), "Вернуть добавление");
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
  // What leaves World and the map as they were keeps the history.
  const std::pair<const char*, std::function<void()>> keeping[] = {
      {"a cancelled turn dialog", [&] { editor.N8Click(); }},
      {"a turn that fails to read", [&] { ui.dialogAnswers = {dir() / "bad.tvk"}; ui.Run([&] { editor.N8Click(); }); }},
      {"a year without a file", [&] { ui.TypeYear(5); }},
      {"the same player count", [&] { ui.upDownPosition = 3; editor.UpDown1Click(); }},
      {"scrolling and painting", [&] { editor.ScrollByCells(1, 1); editor.RepaintWindow(); }},
  };
  const std::pair<const char*, std::function<void()>> resetting[] = {
      {"a turn loaded by the menu", [&] { ui.dialogAnswers = {dir() / "turn.tvk"}; editor.N8Click(); }},
      {"a turn loaded by the year", [&] { ui.TypeYear(4); }},
      {"a map picture", [&] { ui.dialogAnswers = {dir() / "map.bmp"}; editor.N7Click(); }},
      {"the player count", [&] { ui.upDownPosition = 12; editor.UpDown1Click(); }},
  };
  for (const auto& [what, command] : keeping) {
    startAndEdit();
    command();
    EXPECT_TRUE(editor.CanUndo() && editor.CanRedo()) << what;
  }
  for (const auto& [what, command] : resetting) {
    startAndEdit();
    command();
    EXPECT_FALSE(editor.CanUndo() || editor.CanRedo()) << what;
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
  ExpectViewShowsComposedMap();
}

}  // namespace
}  // namespace editor::testing
