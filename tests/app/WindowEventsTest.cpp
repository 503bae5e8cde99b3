#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpontaneKeyEvent>
#include <QToolButton>
#include <QWheelEvent>

#include "WindowFixture.h"
#include "app/PanelStatusBar.h"
#include "app/UpDownButtons.h"

namespace app::testing {
namespace {

// Window pixel of the middle of a cell at the start-up origin (2, 30).
QPoint CellMiddle(int x, int y) { return QPoint(2 + 20 * x + 20 + 10, 30 + 20 * (y - 1) + 18 + 10); }

TEST_F(WindowTest, MousePressOnTheSurfaceReachesTheEditorWithItsClientPixel) {
  WriteStartupFiles();
  Open();
  const int kindStripLeft = editor().scene.KindStripLeft;
  ASSERT_EQ(kindStripLeft, 281);

  // Kind 5 in the kind strip, then a press on cell (4, 6) places a unit of that kind there.
  QTest::mouseClick(window(), Qt::LeftButton, {}, InWindow(kindStripLeft + 4 * 20 + 5, 5));
  EXPECT_EQ(editor().edit.SelectedKind, 5);
  EXPECT_TRUE(editor().edit.Holding);
  const QPoint cell = CellMiddle(4, 6);
  QTest::mousePress(window(), Qt::LeftButton, {}, InWindow(cell.x(), cell.y()));
  QTest::mouseRelease(window(), Qt::LeftButton, {}, InWindow(cell.x(), cell.y()));
  const world::TPlayer& player1 = editor().World.players[1];
  ASSERT_EQ(player1.count, 1);
  EXPECT_EQ(player1.units[1].x, 4);
  EXPECT_EQ(player1.units[1].y, 6);
  EXPECT_EQ(player1.units[1].kind, 5);

  // A right-button press and release on it picks it up and deletes it.
  QTest::mousePress(window(), Qt::RightButton, {}, InWindow(cell.x(), cell.y()));
  QTest::mouseRelease(window(), Qt::RightButton, {}, InWindow(cell.x(), cell.y()));
  EXPECT_EQ(editor().World.players[1].count, 0);
}

TEST_F(WindowTest, MouseEventsOverControlsStayWithTheControls) {
  WriteStartupFiles();
  Open();
  QTest::mouseClick(window(), Qt::LeftButton, {}, InWindow(281 + 5, 5));
  ASSERT_EQ(editor().edit.SelectedKind, 1);
  auto* statusBar1 = Control<PanelStatusBar>("StatusBar1");
  const QString statusOverStrip = statusBar1->PanelAt(0).text;
  // (100, 35) lies in the map zone but on the status bar; (60, 5) on the label "Год".
  for (QPoint overControl : {QPoint(100, 35), QPoint(60, 5), QPoint(240, 10)}) {
    QTest::mouseClick(window(), Qt::LeftButton, {}, InWindow(overControl.x(), overControl.y()));
    QTest::mouseMove(window(), InWindow(overControl.x(), overControl.y()));
  }
  EXPECT_EQ(editor().World.players[1].count, 0) << "no press reached the map";
  EXPECT_TRUE(editor().edit.Holding);
  EXPECT_EQ(statusBar1->PanelAt(0).text, statusOverStrip) << "no move over a control reached the status";
}

TEST_F(WindowTest, MouseMoveOverTheSurfaceDescribesTheCell) {
  WriteStartupFiles();
  Open();
  auto* statusBar1 = Control<PanelStatusBar>("StatusBar1");
  const QPoint gold = CellMiddle(2, 1);  // land 'A', gold deposit
  QTest::mouseMove(window(), InWindow(gold.x(), gold.y()));
  EXPECT_EQ(statusBar1->PanelAt(0).text, "(2-1)");
  EXPECT_EQ(statusBar1->PanelAt(1).text, "Северия");
  EXPECT_EQ(statusBar1->PanelAt(2).text, "доход 15 монет");
  EXPECT_EQ(statusBar1->PanelAt(3).text, "Золотой рудник");
}

TEST_F(WindowTest, WheelScrollsTheViewByWholeCellsOnlyOverTheSurface) {
  WriteStartupFiles(1600, 1200);
  Open();
  auto turn = [](QWidget* target, QPoint angle, Qt::KeyboardModifiers modifiers) {
    QWheelEvent wheel(QPointF(400, 400), target->mapToGlobal(QPointF(400, 400)), QPoint(), angle, Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    // As from the window system: only such wheel events travel on to the parent when ignored.
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    qApp->notify(target, &wheel);
  };
  const render::Scene& scene = editor().scene;
  turn(surface(), QPoint(0, -120), Qt::NoModifier);  // one notch towards the user: down the map
  EXPECT_EQ(scene.OriginY, 30 - 3 * 20);
  EXPECT_EQ(scene.OriginX, 2);
  turn(surface(), QPoint(0, -120), Qt::ShiftModifier);  // with Shift: to the right
  EXPECT_EQ(scene.OriginX, 2 - 3 * 20);
  turn(surface(), QPoint(0, 60), Qt::NoModifier);  // half a notch waits for the other half
  EXPECT_EQ(scene.OriginY, 30 - 3 * 20);
  turn(surface(), QPoint(0, 60), Qt::NoModifier);
  EXPECT_EQ(scene.OriginY, 30);
  turn(Control("Label1"), QPoint(0, -120), Qt::NoModifier);
  EXPECT_EQ(scene.OriginY, 30) << "a wheel over a control does not scroll the map";
}

TEST_F(WindowTest, EveryTypedChangeOfTheYearFieldLoadsThatYear) {
  WriteStartupFiles();
  WriteBytes(u8"Год1.tvk", TurnFile(1, 3));
  WriteBytes(u8"Год12.tvk", kBrokenTurnFile);
  WriteBytes(u8"Год0.tvk", TurnFile(0, 5));
  Open();
  auto* spinEdit1 = Control<QLineEdit>("SpinEdit1");
  auto* edit2 = Control<QLineEdit>("Edit2");
  spinEdit1->selectAll();

  QTest::keyClicks(spinEdit1, "12");
  EXPECT_EQ(spinEdit1->text(), "12");
  EXPECT_EQ(editor().PlayerCount, 3) << "year 1 was loaded on the way";
  EXPECT_EQ(edit2->text(), "3");
  ASSERT_EQ(errors.size(), 1) << "year 12 was loaded exactly once";
  EXPECT_EQ(errors[0], "Invalid numeric input");
  EXPECT_EQ(errorTitles[0], "Tirmagor - редактор");

  QTest::keyClick(spinEdit1, Qt::Key_Backspace);
  QTest::keyClick(spinEdit1, Qt::Key_Backspace);
  EXPECT_EQ(spinEdit1->text(), "");
  EXPECT_EQ(editor().World.Year, 0);
  EXPECT_EQ(editor().PlayerCount, 5) << "an empty field counts as year 0";
  EXPECT_EQ(errors.size(), 1);
}

TEST_F(WindowTest, YearFieldRefusesOtherCharactersAndStepsWithArrowKeys) {
  WriteStartupFiles();
  Open();
  auto* spinEdit1 = Control<QLineEdit>("SpinEdit1");
  QSignalSpy changes(spinEdit1, &QLineEdit::textChanged);
  spinEdit1->setFocus();
  spinEdit1->end(false);
  QTest::keyClicks(spinEdit1, "a*");
  QTest::keyClick(spinEdit1, Qt::Key_Return);
  EXPECT_EQ(spinEdit1->text(), "0");
  EXPECT_EQ(changes.count(), 0);
  QTest::keyClicks(spinEdit1, "+-");
  EXPECT_EQ(spinEdit1->text(), "0+-");
  EXPECT_EQ(editor().World.Year, 0) << "a text that is no integer counts as 0";

  spinEdit1->setText("999");
  QTest::keyClick(spinEdit1, Qt::Key_Up);
  EXPECT_EQ(spinEdit1->text(), "1000");
  EXPECT_EQ(editor().World.Year, 1000);
  changes.clear();
  QTest::keyClick(spinEdit1, Qt::Key_Up);
  EXPECT_EQ(spinEdit1->text(), "1000");
  EXPECT_EQ(changes.count(), 0) << "stepping stops at the top";
  QTest::keyClick(spinEdit1, Qt::Key_Down);
  EXPECT_EQ(editor().World.Year, 999);

  spinEdit1->setText("0");
  QTest::mouseClick(spinEdit1->findChildren<QToolButton*>()[0], Qt::LeftButton);
  EXPECT_EQ(spinEdit1->text(), "1") << "the up button steps";
}

TEST_F(WindowTest, TypedYearOutsideTheRangeStandsUntilTheFieldLosesFocus) {
  WriteStartupFiles();
  Open();
  ASSERT_TRUE(WaitUntilActive(form1.get()));
  auto* spinEdit1 = Control<QLineEdit>("SpinEdit1");
  spinEdit1->setFocus();
  spinEdit1->selectAll();
  QTest::keyClicks(spinEdit1, "2000");
  EXPECT_EQ(editor().World.Year, 2000);
  for (Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
    QFocusEvent toMenuOrOtherWindow(QEvent::FocusOut, reason);
    QApplication::sendEvent(spinEdit1, &toMenuOrOtherWindow);
  }
  EXPECT_EQ(spinEdit1->text(), "2000") << "opening the menu or another window keeps the typed year";
  Control("Edit2")->setFocus();
  EXPECT_EQ(spinEdit1->text(), "1000");
  EXPECT_EQ(editor().World.Year, 1000);

  spinEdit1->setFocus();
  spinEdit1->selectAll();
  QTest::keyClicks(spinEdit1, "-5");
  EXPECT_EQ(editor().World.Year, -5);
  Control("Edit2")->setFocus();
  EXPECT_EQ(spinEdit1->text(), "0");
  EXPECT_EQ(editor().World.Year, 0);
}

TEST_F(WindowTest, KeyReleasedWhileTheWindowItselfHasTheFocusStepsTheYear) {
  WriteStartupFiles();
  WriteBytes(u8"Год1.tvk", TurnFile(1, 4));
  Open();
  auto* spinEdit1 = Control<QLineEdit>("SpinEdit1");
  QTest::keyRelease(spinEdit1, Qt::Key_A);
  EXPECT_EQ(spinEdit1->text(), "0") << "a release inside the year field stays there";

  spinEdit1->clearFocus();
  QTest::keyRelease(form1.get(), Qt::Key_A);
  EXPECT_EQ(spinEdit1->text(), "1");
  EXPECT_EQ(editor().PlayerCount, 4);

  spinEdit1->setText("1000");
  QSignalSpy changes(spinEdit1, &QLineEdit::textChanged);
  QTest::keyRelease(form1.get(), Qt::Key_A);
  EXPECT_EQ(spinEdit1->text(), "1000");
  EXPECT_EQ(changes.count(), 0);
}

TEST_F(WindowTest, UpDownClicksSetThePlayerCountWithinTwoToTwentySeven) {
  WriteStartupFiles();
  Open();
  auto* upDown1 = Control<UpDownButtons>("UpDown1");
  auto* up = upDown1->findChild<QToolButton*>("Up");
  auto* down = upDown1->findChild<QToolButton*>("Down");
  QTest::mouseClick(up, Qt::LeftButton);
  EXPECT_EQ(editor().PlayerCount, 27);
  QTest::mouseClick(down, Qt::LeftButton);
  EXPECT_EQ(editor().PlayerCount, 26);
  EXPECT_EQ(Control<QLineEdit>("Edit2")->text(), "26");
  for (int i = 0; i < 30; ++i) QTest::mouseClick(down, Qt::LeftButton);
  EXPECT_EQ(upDown1->Position(), 2);
  EXPECT_EQ(editor().PlayerCount, 2);
}

TEST_F(WindowTest, StartUpErrorShowsInTheErrorBoxAndTheWindowOpensAnyway) {
  Open();  // no start-up files at all
  ASSERT_GE(errors.size(), 1);
  EXPECT_EQ(errors[0], "File not found");
  EXPECT_EQ(errorTitles[0], "Tirmagor - редактор");
  EXPECT_TRUE(form1->isVisible());
  EXPECT_EQ(Control<QLineEdit>("Edit2")->text(), "27") << "the field keeps its described text";
}

TEST_F(WindowTest, FileCommandsShareOneDialogThatKeepsItsNameAndTheWorkingFolder) {
  WriteStartupFiles();
  Open();
  const QString workingDir = QDir::currentPath();
  Control<QLineEdit>("SpinEdit1")->setText("7");

  QString proposed;
  AnswerDialog([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Сохранить ход в файл картинки");
    EXPECT_EQ(dialog.nameFilters(), QStringList("Карта (*.bmp)"));
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    proposed = dialog.selectedFiles().value(0);
    static_cast<QDialog&>(dialog).accept();  // as the dialog's Open button does
  });
  form1->findChild<QAction*>("N9")->trigger();
  EXPECT_TRUE(proposed.endsWith(u8"/Год7.bmp")) << proposed.toStdString();
  EXPECT_TRUE(fs::exists(u8"Год7.bmp")) << "the picture was saved where the dialog pointed";

  // Loading a map proposes no name: the dialog shows the file confirmed last. Cancelled, it does nothing.
  QString shown;
  AnswerDialog([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Открыть файл с картой земель");
    shown = dialog.selectedFiles().value(0);
    dialog.reject();
  });
  form1->findChild<QAction*>("N7")->trigger();
  EXPECT_EQ(shown, proposed);

  // A failing command ends in the error box.
  WriteBytes("broken.tvk", kBrokenTurnFile);
  AnswerDialog([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.nameFilters(), QStringList("Файл хода (*.tvk)"));
    dialog.selectFile(QDir::current().absoluteFilePath("broken.tvk"));
    static_cast<QDialog&>(dialog).accept();  // as the dialog's Open button does
  });
  form1->findChild<QAction*>("N8")->trigger();
  EXPECT_EQ(errors, QStringList("Invalid numeric input"));
  EXPECT_EQ(QDir::currentPath(), workingDir);
}

}  // namespace
}  // namespace app::testing
