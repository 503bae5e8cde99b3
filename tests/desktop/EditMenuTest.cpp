// The edit menu, its keys and the tooltips of the main window on the offscreen platform.

#include <QHelpEvent>
#include <QMenu>
#include <QToolTip>

#include "WindowFixture.h"

namespace editor::testing {
namespace {

QPoint CellMiddle(int x, int y) { return QPoint(2 + 20 * x + 30, 30 + 20 * (y - 1) + 28); }

class EditMenuTest : public WindowTest {
 protected:
  // The window open with its focus in the year field and one unit of player 1's on the map.
  void OpenWithUnit() {
    WriteBytes("Год0.tvk", "legend\r\n0\r\nPlayer\r\nA\r\n0 0\r\n\xE3 4 6,\r\nEND\r\n");
    WriteBytes("Год1.tvk", TurnFile(1, 3));
    Open();
    ASSERT_TRUE(WaitUntilActive(form1.get()));
    // Typed, so that the field has an undo history of its own: "0", "1" (three players without
    // units), then "" (year 0 again).
    spinEdit1()->setFocus();
    spinEdit1()->selectAll();
    QTest::keyClicks(spinEdit1(), "1");
    QTest::keyClick(spinEdit1(), Qt::Key_Backspace);
    ASSERT_EQ(editor().World.players[1].count, 1);
  }
  void Move(QPoint from, QPoint to) {
    QTest::mousePress(window(), Qt::LeftButton, {}, InWindow(from));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, InWindow(to));
  }
  // A key with Ctrl as the desktop sends it: the text is the control character, which the year
  // field lets through to its own editing.
  static void CtrlKey(QWidget* widget, Qt::Key letter, Qt::KeyboardModifiers more = {}) {
    QTest::sendKeyEvent(QTest::Click, widget, letter, QString(QChar(letter - Qt::Key_A + 1)), Qt::ControlModifier | more);
  }
  QAction* Undo() { return Control<QAction>("Undo"); }
  QAction* Redo() { return Control<QAction>("Redo"); }
  world::TUnit Unit() { return editor().World.players[1].units[1]; }
  // The tooltip the surface shows after the desktop's delay at a client pixel; empty for none.
  QString ToolTipAt(QPoint client) {
    QHelpEvent help(QEvent::ToolTip, client, surface()->mapToGlobal(client));
    QApplication::sendEvent(surface(), &help);
    return help.isAccepted() && QToolTip::isVisible() ? QToolTip::text() : QString();
  }
};

TEST_F(EditMenuTest, EditMenuHasTheUsualKeysAndNamesWhatItUndoes) {
  OpenWithUnit();
  EXPECT_EQ(Undo()->shortcuts(), QList<QKeySequence>({QKeySequence("Ctrl+Z")}));
  EXPECT_EQ(Redo()->shortcuts(), QList<QKeySequence>({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
  EXPECT_FALSE(Undo()->isEnabled() || Redo()->isEnabled());

  Move(CellMiddle(4, 6), CellMiddle(9, 9));
  EXPECT_EQ(std::pair(Undo()->text(), Undo()->isEnabled()), std::pair(QString("Отменить перемещение"), true));
  Trigger("Undo");
  EXPECT_EQ(Unit(), (world::TUnit{4, 6, 1}));
  EXPECT_EQ(std::pair(Undo()->text(), Undo()->isEnabled()), std::pair(QString("Отменить"), false));
  EXPECT_EQ(std::pair(Redo()->text(), Redo()->isEnabled()), std::pair(QString("Вернуть перемещение"), true));
}

TEST_F(EditMenuTest, UndoKeysActOnTheMapFromEveryFieldAndNeverEditTheFieldOrStepTheYear) {
  OpenWithUnit();
  QWidget* players = Control("Edit2");
  // With nothing to undo the keys still stay out of the year field: its own undo would bring
  // back the year typed before, and with it another turn.
  for (Qt::Key key : {Qt::Key_Z, Qt::Key_Y}) {
    CtrlKey(spinEdit1(), key);
    EXPECT_EQ(std::pair(spinEdit1()->text(), int(editor().PlayerCount)), std::pair(QString(), 1));
  }

  Move(CellMiddle(4, 6), CellMiddle(9, 9));
  CtrlKey(spinEdit1(), Qt::Key_Z);
  EXPECT_EQ(Unit(), (world::TUnit{4, 6, 1}));
  players->setFocus();
  CtrlKey(players, Qt::Key_Y);
  EXPECT_EQ(Unit(), (world::TUnit{9, 9, 1}));
  CtrlKey(players, Qt::Key_Z);
  CtrlKey(players, Qt::Key_Z, Qt::ShiftModifier);
  EXPECT_EQ(Unit(), (world::TUnit{9, 9, 1}));
  EXPECT_EQ(Control<QLineEdit>("Edit2")->text(), "1");

  // With the focus on the window itself every other key release steps the year, but not the
  // releases of the keys that undid, nor of Escape that put a lifted unit back.
  spinEdit1()->clearFocus();
  players->clearFocus();
  ASSERT_EQ(QApplication::focusWidget(), nullptr);
  CtrlKey(form1.get(), Qt::Key_Z);
  EXPECT_EQ(std::pair(Unit(), spinEdit1()->text()), std::pair(world::TUnit{4, 6, 1}, QString()));
  QTest::mousePress(window(), Qt::LeftButton, {}, InWindow(CellMiddle(4, 6)));
  QTest::mouseRelease(window(), Qt::LeftButton, {}, InWindow({300, 26}));  // above the map: still in hand
  ASSERT_EQ(Unit(), (world::TUnit{0, 0, 1}));
  QTest::keyClick(form1.get(), Qt::Key_Escape);
  EXPECT_EQ(Unit(), (world::TUnit{4, 6, 1}));
  EXPECT_EQ(spinEdit1()->text(), "");
  QTest::keyClick(form1.get(), Qt::Key_Escape);  // nothing in hand: an ordinary key
  EXPECT_EQ(spinEdit1()->text(), "1");
}

TEST_F(EditMenuTest, TooltipsNameTheUnitsOnACellAndWhoOwnsAColour) {
  OpenWithUnit();
  editor().World.players[1].name = "<i>\xDD\xEB\xFC\xF4\xFB</i>";  // "Эльфы" in its file's bytes
  EXPECT_EQ(ToolTipAt(CellMiddle(4, 6)).toStdString(),
            "<p style='white-space:pre'>Игрок 1: &lt;i&gt;Эльфы&lt;/i&gt; — гном</p>");
  EXPECT_EQ(ToolTipAt(CellMiddle(5, 6)), "") << "a cell without units";
  EXPECT_TRUE(ToolTipAt({661 + 5, 10}).contains("Игрок 1: &lt;i&gt;Эльфы&lt;/i&gt;"));
}

}  // namespace
}  // namespace editor::testing
