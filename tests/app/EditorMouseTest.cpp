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
  void Give(int p, std::initializer_list<world::TUnit> units) {
    for (const world::TUnit& u : units) Player(p).units[++Player(p).count] = u;
  }
  // The centre pixel of a cell in the composed map.
  render::Color MapCentre(int x, int y) const { return editor.scene.ComposedMap.PixelAt(20 * x + 30, 20 * (y - 1) + 28); }
  render::Color CleanCentre(int x, int y) const { return editor.scene.CleanMap.PixelAt(20 * x + 30, 20 * (y - 1) + 28); }
};

TEST_F(EditorMouseTest, StatusBarDescribesTheCellUnderTheMouse) {
  editor.FormMouseMove(CellX(2), CellY(1));
  EXPECT_EQ(ui.panels[0], "(2-1)");
  EXPECT_EQ(ui.panels[1], "Северия");
  EXPECT_EQ(ui.panels[2], "доход 15 монет");
  EXPECT_EQ(ui.panels[3], "Золотой рудник");
  editor.FormMouseMove(CellX(1), CellY(2));
  EXPECT_EQ(ui.panels[1], "Южная");
  EXPECT_EQ(ui.panels[2], "доход -3 монет");
  EXPECT_EQ(ui.panels[3], "Драконий рудник");
  editor.FormMouseMove(CellX(50), CellY(50));  // a cell of no land
  EXPECT_EQ(ui.panels[0], "(50-50)");
  EXPECT_EQ(ui.panels[1], "");
  EXPECT_EQ(ui.panels[2], "0");
  EXPECT_EQ(ui.panels[3], "");
  // Off the grid: the bytes as they come, and no cell is read.
  editor.FormMouseMove(2, 30);
  EXPECT_EQ(ui.panels[0], "(255-1)");
  editor.FormMouseMove(0, 0);
  EXPECT_EQ(ui.panels[0], "(255-255)");
  EXPECT_EQ(ui.panels[2], "0");
  editor.FormMouseMove(41, 47);
  EXPECT_EQ(ui.panels[0], "(0-1)");
}

TEST_F(EditorMouseTest, PickUpTakesTheSmallestKindThenTheLowestPlayer) {
  Give(1, {{5, 5, 11}});           // a fortress of player 1
  Give(3, {{5, 5, 5}});            // a knight of player 3
  Give(2, {{7, 7, 8}});            // dragons of players 2 and 4 on one cell
  Give(4, {{7, 7, 8}});
  Press(5, 5);
  EXPECT_TRUE(editor.edit.Holding);
  EXPECT_EQ(editor.edit.CurrentPlayer, 3);
  EXPECT_EQ(editor.edit.CurrentUnit, 1);
  EXPECT_EQ(Player(3).units[1].x, 0);
  EXPECT_EQ(Player(3).units[1].y, 0);
  // The cell is restored and shows the fortress again; the preview shows the knight.
  EXPECT_NE(MapCentre(5, 5), CleanCentre(5, 5));
  EXPECT_EQ(editor.scene.Window.PixelAt(38, 10), editor.scene.Palette[3]);
  Release(5, 5);
  EXPECT_FALSE(editor.edit.Holding);

  Press(7, 7);
  EXPECT_EQ(editor.edit.CurrentPlayer, 2);
  Release(7, 7);
}

TEST_F(EditorMouseTest, PressAndReleaseMoveOrPutBackAUnit) {
  Give(1, {{3, 3, 1}, {4, 4, 2}});
  Press(3, 3);
  Release(9, 6);
  EXPECT_EQ(Player(1).units[1].x, 9);
  EXPECT_EQ(Player(1).units[1].y, 6);
  EXPECT_EQ(MapCentre(3, 3), CleanCentre(3, 3));
  EXPECT_NE(MapCentre(9, 6), CleanCentre(9, 6));
  // Same cell: stays, same index.
  Press(4, 4);
  Release(4, 4);
  EXPECT_EQ(Player(1).units[2].x, 4);
  EXPECT_EQ(Player(1).count, 2);
  // A drop in the picture's left margin stores column 0.
  Press(4, 4);
  editor.Image1MouseUp(MouseButton::Left, 20, CellY(4));
  EXPECT_EQ(Player(1).units[2].x, 0);
  EXPECT_EQ(Player(1).units[2].y, 4);
}

TEST_F(EditorMouseTest, ReleaseWithAnotherButtonDeletes) {
  Give(2, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
  Press(1, 1, MouseButton::Right);
  Release(1, 1, MouseButton::Right);
  EXPECT_EQ(Player(2).count, 2);
  EXPECT_EQ(Player(2).units[1].kind, 3);  // the last unit takes the deleted one's index
  EXPECT_EQ(Player(2).units[1].x, 3);
  // Deleting the last entry only shortens the list.
  Press(2, 2);
  Release(2, 2, MouseButton::Middle);
  EXPECT_EQ(Player(2).count, 1);
  EXPECT_EQ(Player(2).units[1].kind, 3);
  EXPECT_EQ(MapCentre(2, 2), CleanCentre(2, 2));
}

TEST_F(EditorMouseTest, ReleaseOutsideTheMapKeepsTheUnitInHand) {
  Give(1, {{3, 3, 4}});
  Press(3, 3);
  editor.Image1MouseUp(MouseButton::Left, 300, 25);
  EXPECT_TRUE(editor.edit.Holding);
  EXPECT_EQ(Player(1).units[1].x, 0);
  Release(8, 8);
  EXPECT_FALSE(editor.edit.Holding);
  EXPECT_EQ(Player(1).units[1].x, 8);
  // A release while idle does nothing.
  Release(9, 9);
  EXPECT_EQ(Player(1).units[1].x, 8);
}

TEST_F(EditorMouseTest, StripsChooseKindAndPlayerThenAPressPlaces) {
  editor.MouseDOwn(MouseButton::Left, 281 + 20 * 11 + 5, 10);  // strip cell 12: city
  EXPECT_EQ(editor.edit.SelectedKind, 12);
  EXPECT_TRUE(editor.edit.Holding);
  editor.MouseDOwn(MouseButton::Left, 661 + 20 * 2 + 5, 25);  // colour cell 3, in the band below the strip
  EXPECT_EQ(editor.edit.CurrentPlayer, 3);
  Press(10, 10);
  EXPECT_FALSE(editor.edit.Holding);
  ASSERT_EQ(Player(3).count, 1);
  EXPECT_EQ(Player(3).units[1].kind, 12);
  EXPECT_EQ(Player(3).units[1].x, 10);
  EXPECT_EQ(editor.edit.CurrentUnit, 1);
  EXPECT_EQ(editor.scene.ComposedMap.PixelAt(20 * 10 + 20 + 8, 20 * 9 + 18 + 8), editor.scene.Palette[3]);
  // The release after a placement does nothing; the kind stays chosen.
  Release(11, 11);
  EXPECT_EQ(Player(3).units[1].x, 10);
  EXPECT_EQ(editor.edit.SelectedKind, 12);
  // The strips' exact left edges and the colour strip beyond PlayerCount do nothing.
  editor.MouseDOwn(MouseButton::Left, 281, 10);
  editor.MouseDOwn(MouseButton::Left, 661, 10);
  editor.MouseDOwn(MouseButton::Left, 661 + 20 * 4 + 5, 10);
  EXPECT_FALSE(editor.edit.Holding);
}

TEST_F(EditorMouseTest, ColourClickWithoutKindThenReleaseTouchesOnlyRealEntries) {
  Give(2, {{5, 5, 6}});
  editor.MouseDOwn(MouseButton::Left, 661 + 20 + 5, 10);
  EXPECT_EQ(editor.edit.CurrentPlayer, 2);
  Press(9, 9);  // no kind chosen: nothing is placed and the choice stays
  EXPECT_TRUE(editor.edit.Holding);
  EXPECT_EQ(Player(2).count, 1);
  Release(9, 9);  // CurrentUnit 0 is no entry: nothing moves
  EXPECT_FALSE(editor.edit.Holding);
  EXPECT_EQ(Player(2).units[1].x, 5);
  // Player 1 has no units; a release with its stale index deletes nothing.
  Press(5, 5);
  Release(5, 5);
  editor.MouseDOwn(MouseButton::Left, 661 + 5, 10);
  Release(6, 6, MouseButton::Right);
  EXPECT_EQ(Player(1).count, 0);
  EXPECT_EQ(Player(2).count, 1);
}

TEST_F(EditorMouseTest, PlacementForAFullPlayerPlacesNothing) {
  for (int i = 1; i <= world::MaxUnits; ++i) Give(1, {{1, 1, 1}});
  editor.MouseDOwn(MouseButton::Left, 281 + 5, 10);
  Press(9, 9);
  EXPECT_EQ(Player(1).count, world::MaxUnits);
  EXPECT_FALSE(editor.edit.Holding);
  EXPECT_EQ(MapCentre(9, 9), CleanCentre(9, 9));
}

TEST_F(EditorMouseTest, UnitOfKindZeroIsTakenButNotShown) {
  Give(1, {{4, 4, 0}});
  Press(4, 4);
  EXPECT_TRUE(editor.edit.Holding);
  EXPECT_EQ(Player(1).units[1].x, 4);
  Release(6, 6);
  EXPECT_EQ(Player(1).units[1].x, 6);
}

TEST_F(EditorMouseTest, RaisedPlayerCountMakesOldUnitsReachable) {
  Give(6, {{12, 3, 9}});
  Press(12, 3);
  EXPECT_FALSE(editor.edit.Holding);
  ui.upDownPosition = 8;
  editor.UpDown1Click();
  Press(12, 3);
  EXPECT_TRUE(editor.edit.Holding);
  EXPECT_EQ(editor.edit.CurrentPlayer, 6);
}

TEST_F(EditorMouseTest, EditsOnAScrolledMapLandOnTheRightCell) {
  WriteStartupFiles(2260, 1560);
  Start();
  editor.PlayerCount = 4;
  Give(1, {{100, 70, 3}});
  editor.ScrollByCells(1000, 1000);  // stops at the picture's edges
  const int hiddenX = 2260 - (1130 - 2), hiddenY = 1560 - (806 - 30);
  EXPECT_EQ(editor.scene.OriginX, 2 - 20 * ((hiddenX + 19) / 20));
  EXPECT_EQ(editor.scene.OriginY, 30 - 20 * ((hiddenY + 19) / 20));
  editor.FormMouseMove(CellX(100), CellY(70));
  EXPECT_EQ(ui.panels[0], "(100-70)");
  Press(100, 70);
  ASSERT_TRUE(editor.edit.Holding);
  Release(105, 72);
  EXPECT_EQ(Player(1).units[1].x, 105);
  EXPECT_EQ(Player(1).units[1].y, 72);
  EXPECT_NE(MapCentre(105, 72), CleanCentre(105, 72));
  // The window shows the scrolled map: the marker is where the mouse dropped it.
  EXPECT_EQ(editor.scene.Window.PixelAt(CellX(105), CellY(72)), MapCentre(105, 72));
  editor.ScrollByCells(-1000, -1000);
  EXPECT_EQ(editor.scene.OriginX, 2);
  EXPECT_EQ(editor.scene.OriginY, 30);
}

TEST_F(EditorMouseTest, MarkersOfAScrolledMapStayInsideTheView) {
  WriteStartupFiles(2260, 1560);
  Start();
  editor.PlayerCount = 4;
  editor.ScrollByCells(0, 5);
  ASSERT_EQ(editor.scene.OriginY, 30 - 100);
  Give(1, {{3, 5, 1}});  // row 5 now straddles the view's top edge
  Press(3, 5);
  Release(3, 5);
  EXPECT_EQ(Player(1).units[1].y, 5);
  const int left = editor.scene.OriginX + 20 * 3 + 20;
  EXPECT_EQ(editor.scene.Window.PixelAt(left + 8, 29), editor.scene.WindowColor);
  EXPECT_EQ(editor.scene.Window.PixelAt(left + 8, 40), editor.scene.Palette[1]);
  // A cell wholly above the view leaves the window alone.
  const render::Surface window = editor.scene.Window;
  Give(2, {{3, 1, 1}});
  editor.edit.CurrentPlayer = 2;
  editor.edit.CurrentUnit = 1;
  editor.MouseDOwn(MouseButton::Left, 281 + 5, 10);
  Press(3, 7);
  EXPECT_EQ(Player(2).count, 2);
  Release(3, 7);
  EXPECT_EQ(editor.scene.Window.PixelAt(left + 8, 10), window.PixelAt(left + 8, 10));
}

}  // namespace
}  // namespace app::testing
