// The tooltips of the map, the kind strip and the colour strip, through the Editor's interface.

#include "EditorFixture.h"

namespace editor::testing {
namespace {

TEST_F(EditorMouseTest, ToolTipsNameTheUnitsOnACellInPickUpOrderAndTheStripsEntries) {
  StartWithTurn();
  Press(8, 4);
  Release(5, 5);  // player 2's dragon joins the fortress and the knight
  editor.World.players[2].name = "<b>\n";
  EXPECT_EQ(editor.ToolTipAt(CellX(5), CellY(5)),
            "Игрок 2: <b>  — рыцарь\nИгрок 2: <b>  — дракон\nИгрок 1: A — крепость");
  EXPECT_EQ(editor.ToolTipAt(CellX(3), CellY(3)), "Игрок 1: A — гном\nИгрок 3: C — медь");
  EXPECT_EQ(editor.ToolTipAt(CellX(8), CellY(4)), "") << "an empty cell";
  EXPECT_EQ(editor.ToolTipAt(CellX(3), 20), "") << "above the map, left of the strips";

  EXPECT_EQ(editor.ToolTipAt(281 + 5, 10), "гном (г)");
  EXPECT_EQ(editor.ToolTipAt(281 + 20 * 12 + 5, 25), "замок (З)");
  EXPECT_EQ(editor.ToolTipAt(281 + 20 * 15 + 5, 10), "медь (C)");
  EXPECT_EQ(editor.ToolTipAt(661 + 5, 10), "Игрок 1: A\nЕдиниц: 3 — войска 2, строения 1, рудники 0");
  EXPECT_EQ(editor.ToolTipAt(661 + 40 + 5, 10), "Игрок 3: C\nЕдиниц: 1 — войска 0, строения 0, рудники 1");
  ui.SetPlayerCount(5);
  EXPECT_EQ(editor.ToolTipAt(661 + 80 + 5, 10), "Игрок 5") << "beyond the loaded turn";
  EXPECT_EQ(editor.ToolTipAt(661 + 100 + 5, 10), "") << "past the colour strip";
}

}  // namespace
}  // namespace editor::testing
