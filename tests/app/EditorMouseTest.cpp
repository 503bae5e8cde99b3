#include "EditorFixture.h"

namespace app::testing {
namespace {

class EditorMouseTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Start();
    editor.PlayerCount = 4;
  }
  world::TPlayer& Player(int p) { return editor.World.players[p]; }
  std::pair<int, int> PlaceOf(int p, int unit) { return {Player(p).units[unit].x, Player(p).units[unit].y}; }
  void Give(int p, std::initializer_list<world::TUnit> units) {
    for (const world::TUnit& u : units) Player(p).units[++Player(p).count] = u;
  }
  // Whether the composed map shows a marker in the middle of the cell.
  bool Marked(int x, int y) const {
    const int px = 20 * x + 30, py = 20 * (y - 1) + 28;
    return editor.scene.ComposedMap.PixelAt(px, py) != editor.scene.CleanMap.PixelAt(px, py);
  }
  // A click in the kind strip (`kind` 1..19) or the colour strip (`player` from 1).
  void ChooseKind(int kind) { editor.MouseDOwn(MouseButton::Left, 281 + 20 * kind - 15, 10); }
  void ChoosePlayer(int player, int y = 10) { editor.MouseDOwn(MouseButton::Left, 661 + 20 * player - 15, y); }
};

TEST_F(EditorMouseTest, StatusBarDescribesTheCellUnderTheMouse) {
  const struct {
    int x, y;
    std::vector<std::string> panels;
  } moves[] = {
      {CellX(2), CellY(1), {"(2-1)", "Северия", "доход 15 монет", "Золотой рудник"}},
      {CellX(50), CellY(50), {"(50-50)", "", "0", ""}},  // a cell of no land
      {0, 0, {"(255-255)", "", "0", ""}},                // off the grid no cell is read
  };
  for (const auto& move : moves) {
    editor.FormMouseMove(move.x, move.y);
    EXPECT_EQ(std::vector<std::string>(ui.panels, ui.panels + 4), move.panels);
  }
}

TEST_F(EditorMouseTest, PressTakesTheSmallestKindThenTheLowestPlayer) {
  Give(1, {{5, 5, 11}});  // a fortress
  Give(3, {{5, 5, 5}});   // a knight
  Give(2, {{7, 7, 8}});   // dragons of players 2 and 4 on one cell
  Give(4, {{7, 7, 8}});
  Press(5, 5);
  EXPECT_TRUE(editor.edit.Holding);
  EXPECT_EQ(editor.edit.CurrentPlayer, 3);
  EXPECT_EQ(PlaceOf(3, 1), std::pair(0, 0));
  // The cell is redrawn and shows the fortress again; the preview shows the knight.
  EXPECT_TRUE(Marked(5, 5));
  EXPECT_EQ(editor.scene.Window.PixelAt(38, 10), editor.scene.Palette[3]);
  Release(5, 5);
  Press(7, 7);
  EXPECT_EQ(editor.edit.CurrentPlayer, 2);
}

TEST_F(EditorMouseTest, ReleaseInTheMapMovesTheUnitAndElsewhereKeepsItInHand) {
  Give(1, {{3, 3, 1}, {4, 4, 2}});
  Press(3, 3);
  editor.Image1MouseUp(MouseButton::Left, 300, 25);  // above the map
  EXPECT_TRUE(editor.edit.Holding);
  Release(9, 6);
  EXPECT_FALSE(editor.edit.Holding);
  EXPECT_EQ(PlaceOf(1, 1), std::pair(9, 6));
  EXPECT_FALSE(Marked(3, 3));
  EXPECT_TRUE(Marked(9, 6));
  Release(8, 8);  // while idle: nothing
  EXPECT_EQ(PlaceOf(1, 1), std::pair(9, 6));
  // Put back on its own cell, a unit keeps its index.
  Press(4, 4);
  Release(4, 4);
  EXPECT_EQ(PlaceOf(1, 2), std::pair(4, 4));
  // A drop in the picture's left margin stores column 0.
  Press(4, 4);
  editor.Image1MouseUp(MouseButton::Left, 20, CellY(4));
  EXPECT_EQ(PlaceOf(1, 2), std::pair(0, 4));
}

TEST_F(EditorMouseTest, ReleaseWithAnotherButtonDeletes) {
  Give(2, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
  Press(1, 1, MouseButton::Right);
  Release(1, 1, MouseButton::Right);
  ASSERT_EQ(Player(2).count, 2);
  EXPECT_EQ(Player(2).units[1].kind, 3) << "the last unit takes the deleted one's index";
  EXPECT_EQ(PlaceOf(2, 1), std::pair(3, 3));
  // Deleting the last entry only shortens the list.
  Press(2, 2);
  Release(2, 2, MouseButton::Middle);
  EXPECT_EQ(Player(2).count, 1);
  EXPECT_EQ(Player(2).units[1].kind, 3);
  EXPECT_FALSE(Marked(2, 2));
}

TEST_F(EditorMouseTest, StripsChooseKindAndPlayerThenAPressPlaces) {
  ChooseKind(12);  // a city
  EXPECT_TRUE(editor.edit.Holding);
  ChoosePlayer(3, 25);  // in the band below the strip
  Press(10, 10);
  EXPECT_FALSE(editor.edit.Holding);
  ASSERT_EQ(Player(3).count, 1);
  EXPECT_EQ(Player(3).units[1].kind, 12);
  EXPECT_EQ(PlaceOf(3, 1), std::pair(10, 10));
  EXPECT_EQ(editor.scene.ComposedMap.PixelAt(20 * 10 + 20 + 8, 20 * 9 + 18 + 8), editor.scene.Palette[3]);
  EXPECT_EQ(editor.edit.SelectedKind, 12) << "the kind stays chosen";
  // The strips' exact left edges and the colour strip beyond PlayerCount do nothing.
  editor.MouseDOwn(MouseButton::Left, 281, 10);
  editor.MouseDOwn(MouseButton::Left, 661, 10);
  ChoosePlayer(5);
  EXPECT_FALSE(editor.edit.Holding);
}

TEST_F(EditorMouseTest, PressesAndReleasesTouchOnlyRealUnits) {
  Give(2, {{5, 5, 6}});
  ChoosePlayer(2);
  Press(9, 9);  // no kind chosen: nothing is placed and the choice stays
  EXPECT_TRUE(editor.edit.Holding);
  EXPECT_EQ(Player(2).count, 1);
  Release(9, 9);  // CurrentUnit 0 is no entry: nothing moves
  EXPECT_FALSE(editor.edit.Holding);
  EXPECT_EQ(PlaceOf(2, 1), std::pair(5, 5));
  // Player 1 has no units; a release with its stale index deletes nothing.
  Press(5, 5);
  Release(5, 5);
  ChoosePlayer(1);
  Release(6, 6, MouseButton::Right);
  EXPECT_EQ(Player(1).count, 0);
  EXPECT_EQ(Player(2).count, 1);

  // A unit of kind 0 is taken but neither lifted from its cell nor drawn.
  Give(1, {{4, 4, 0}});
  Press(4, 4);
  EXPECT_TRUE(editor.edit.Holding);
  EXPECT_EQ(PlaceOf(1, 1), std::pair(4, 4));
  Release(6, 6);
  EXPECT_EQ(PlaceOf(1, 1), std::pair(6, 6));

  // A player whose table is full gets no more units.
  for (int i = Player(1).count; i < world::MaxUnits; ++i) Give(1, {{1, 1, 1}});
  ChooseKind(1);
  ChoosePlayer(1);
  Press(9, 9);
  EXPECT_EQ(Player(1).count, world::MaxUnits);
  EXPECT_FALSE(editor.edit.Holding);
  EXPECT_FALSE(Marked(9, 9));
}

TEST_F(EditorMouseTest, PlayerCountControlRepaintsTheColourStripAndBoundsWhoseUnitsArePressed) {
  Give(6, {{12, 3, 9}});
  Press(12, 3);
  EXPECT_FALSE(editor.edit.Holding);
  ui.upDownPosition = 8;
  editor.UpDown1Click();
  EXPECT_EQ(editor.PlayerCount, 8);
  EXPECT_EQ(ui.playersField, "8");
  EXPECT_EQ(editor.scene.Window.PixelAt(661 + 7 * 20 + 10, 10), editor.scene.Palette[8]);
  EXPECT_EQ(editor.scene.Window.PixelAt(661 + 8 * 20 + 10, 10), editor.scene.WindowColor);
  Press(12, 3);
  EXPECT_TRUE(editor.edit.Holding);
  EXPECT_EQ(editor.edit.CurrentPlayer, 6);
}

TEST_F(EditorMouseTest, EditsOnAScrolledMapLandOnTheRightCellAndStayInsideTheView) {
  WriteStartupFiles(2260, 1560);
  Start();
  editor.PlayerCount = 4;
  editor.ScrollByCells(0, 5);
  ASSERT_EQ(editor.scene.OriginY, 30 - 100);
  // Row 5 straddles the view's top edge: neither the lifted cell nor the marker reach above it.
  Give(1, {{3, 5, 1}});
  Press(3, 5);
  Release(3, 5);
  const int left = editor.scene.OriginX + 20 * 3 + 20;
  EXPECT_EQ(editor.scene.Window.PixelAt(left + 8, 29), editor.scene.WindowColor);
  EXPECT_EQ(editor.scene.Window.PixelAt(left + 8, 40), editor.scene.Palette[1]);

  editor.ScrollByCells(1000, 1000);  // stops at the picture's edges
  const int hiddenX = 2260 - (1130 - 2), hiddenY = 1560 - (806 - 30);
  EXPECT_EQ(editor.scene.OriginX, 2 - 20 * ((hiddenX + 19) / 20));
  EXPECT_EQ(editor.scene.OriginY, 30 - 20 * ((hiddenY + 19) / 20));
  Give(1, {{100, 70, 3}});
  Press(100, 70);
  ASSERT_TRUE(editor.edit.Holding);
  Release(105, 72);
  EXPECT_EQ(PlaceOf(1, 2), std::pair(105, 72));
  EXPECT_TRUE(Marked(105, 72));
  // The window shows the scrolled map: the marker is where the mouse dropped it.
  EXPECT_EQ(editor.scene.Window.PixelAt(CellX(105), CellY(72)),
            editor.scene.ComposedMap.PixelAt(20 * 105 + 30, 20 * 71 + 28));
  editor.ScrollByCells(-1000, -1000);
  EXPECT_EQ(std::pair(editor.scene.OriginX, editor.scene.OriginY), std::pair(2, 30));
}

}  // namespace
}  // namespace app::testing
