#include <QLineEdit>
#include <QSignalSpy>
#include <QSpontaneKeyEvent>
#include <QToolButton>
#include <QWheelEvent>

#include "WindowFixture.h"
#include "app/UpDownButtons.h"

namespace app::testing {
namespace {

// Window pixel of the middle of a cell at the start-up origin (2, 30).
QPoint CellMiddle(int x, int y) { return QPoint(2 + 20 * x + 20 + 10, 30 + 20 * (y - 1) + 18 + 10); }

using WindowEventsTest = WindowTest;

TEST_F(WindowEventsTest, MouseOnTheSurfaceReachesTheEditorWithItsClientPixelButNotOverControls) {
  Open();
  Click(Qt::LeftButton, {281 + 4 * 20 + 5, 5});  // kind 5 in the kind strip
  ASSERT_EQ(editor().edit.SelectedKind, 5);
  const QStringList statusOverStrip = StatusTexts();
  // (100, 35) lies in the map zone but on the status bar; (60, 5) on the label "Год".
  for (QPoint overControl : {QPoint(100, 35), QPoint(60, 5), QPoint(240, 10)}) {
    Click(Qt::LeftButton, overControl);
    QTest::mouseMove(window(), InWindow(overControl));
  }
  const world::TPlayer& player1 = editor().World.players[1];
  EXPECT_EQ(player1.count, 0) << "no press over a control reached the map";
  EXPECT_EQ(StatusTexts(), statusOverStrip) << "no move over a control reached the status";

  Click(Qt::LeftButton, CellMiddle(4, 6));
  ASSERT_EQ(player1.count, 1);
  EXPECT_EQ(std::tuple(player1.units[1].x, player1.units[1].y, player1.units[1].kind), std::tuple(4, 6, 5));
  Click(Qt::RightButton, CellMiddle(4, 6));  // picks it up and deletes it
  EXPECT_EQ(player1.count, 0);

  QTest::mouseMove(window(), InWindow(CellMiddle(2, 1)));  // land 'A', gold deposit
  EXPECT_EQ(StatusTexts(), QStringList({"(2-1)", "Северия", "доход 15 монет", "Золотой рудник"}));
}

TEST_F(WindowEventsTest, WheelScrollsTheViewByWholeCellsOnlyOverTheSurface) {
  PatternMap(1600, 1200).SaveBmp("map.bmp");
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
  turn(surface(), QPoint(0, -120), Qt::ShiftModifier);  // with Shift: to the right
  EXPECT_EQ(QPoint(scene.OriginX, scene.OriginY), QPoint(2 - 3 * 20, 30 - 3 * 20));
  turn(surface(), QPoint(0, 60), Qt::NoModifier);  // half a notch waits for the other half
  EXPECT_EQ(scene.OriginY, 30 - 3 * 20);
  turn(surface(), QPoint(0, 60), Qt::NoModifier);
  EXPECT_EQ(scene.OriginY, 30);
  turn(Control("Label1"), QPoint(0, -120), Qt::NoModifier);
  EXPECT_EQ(scene.OriginY, 30) << "a wheel over a control does not scroll the map";
}

TEST_F(WindowEventsTest, EveryTypedChangeOfTheYearFieldLoadsThatYear) {
  WriteBytes(u8"Год1.tvk", TurnFile(1, 3));
  WriteBytes(u8"Год12.tvk", kBrokenTurnFile);
  WriteBytes(u8"Год0.tvk", TurnFile(0, 5));
  Open();
  spinEdit1()->selectAll();
  QTest::keyClicks(spinEdit1(), "12");
  EXPECT_EQ(editor().PlayerCount, 3) << "year 1 was loaded on the way";
  EXPECT_EQ(errors, QStringList("Invalid numeric input")) << "year 12 was loaded exactly once";
  EXPECT_EQ(errorTitles, QStringList("Tirmagor - редактор"));

  QTest::keyClick(spinEdit1(), Qt::Key_Backspace);
  QTest::keyClick(spinEdit1(), Qt::Key_Backspace);
  EXPECT_EQ(editor().PlayerCount, 5) << "an empty field counts as year 0";
  EXPECT_EQ(errors.size(), 1);
}

TEST_F(WindowEventsTest, YearFieldTakesOnlyIntegerCharactersAndStepsWithinZeroToThousand) {
  Open();
  QSignalSpy changes(spinEdit1(), &QLineEdit::textChanged);
  spinEdit1()->setFocus();
  spinEdit1()->end(false);
  QTest::keyClicks(spinEdit1(), "a*");
  EXPECT_EQ(changes.count(), 0);
  QTest::keyClicks(spinEdit1(), "+-");
  EXPECT_EQ(spinEdit1()->text(), "0+-");
  EXPECT_EQ(editor().World.Year, 0) << "a text that is no integer counts as 0";

  spinEdit1()->setText("999");
  QTest::keyClick(spinEdit1(), Qt::Key_Up);
  QTest::keyClick(spinEdit1(), Qt::Key_Up);
  EXPECT_EQ(spinEdit1()->text(), "1000") << "stepping stops at the top";
  QTest::mouseClick(spinEdit1()->findChildren<QToolButton*>()[1], Qt::LeftButton);
  EXPECT_EQ(editor().World.Year, 999) << "the down button steps";
}

TEST_F(WindowEventsTest, TypedYearOutsideTheRangeStandsUntilTheFieldLosesFocus) {
  Open();
  ASSERT_TRUE(WaitUntilActive(form1.get()));
  const std::pair<const char*, const char*> typedAndKept[] = {{"2000", "1000"}, {"-5", "0"}};
  for (const auto& [typed, kept] : typedAndKept) {
    spinEdit1()->setFocus();
    spinEdit1()->selectAll();
    QTest::keyClicks(spinEdit1(), typed);
    EXPECT_EQ(editor().World.Year, QString(typed).toInt());
    for (Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
      QFocusEvent toMenuOrOtherWindow(QEvent::FocusOut, reason);
      QApplication::sendEvent(spinEdit1(), &toMenuOrOtherWindow);
    }
    EXPECT_EQ(spinEdit1()->text(), typed) << "opening the menu or another window keeps the typed year";
    Control("Edit2")->setFocus();
    EXPECT_EQ(spinEdit1()->text(), kept);
    EXPECT_EQ(editor().World.Year, QString(kept).toInt());
  }
}

TEST_F(WindowEventsTest, KeyReleasedWhileTheWindowItselfHasTheFocusStepsTheYear) {
  WriteBytes(u8"Год1.tvk", TurnFile(1, 4));
  Open();
  ASSERT_TRUE(WaitUntilActive(form1.get()));
  spinEdit1()->setFocus();
  QTest::keyRelease(form1.get(), Qt::Key_A);  // as a release in the year field arrives, passed on to the window
  EXPECT_EQ(spinEdit1()->text(), "0") << "a release inside the year field stays there";
  spinEdit1()->clearFocus();
  QTest::keyRelease(form1.get(), Qt::Key_A);
  EXPECT_EQ(editor().PlayerCount, 4) << "year 1 was loaded";
}

TEST_F(WindowEventsTest, UpDownClicksSetThePlayerCountWithinTwoToTwentySeven) {
  Open();
  auto* upDown1 = Control<UpDownButtons>("UpDown1");
  QTest::mouseClick(upDown1->findChild<QToolButton*>("Up"), Qt::LeftButton);
  EXPECT_EQ(editor().PlayerCount, 27);
  for (int i = 0; i < 30; ++i) QTest::mouseClick(upDown1->findChild<QToolButton*>("Down"), Qt::LeftButton);
  EXPECT_EQ(editor().PlayerCount, 2);
  EXPECT_EQ(Control<QLineEdit>("Edit2")->text(), "2");
}

TEST_F(WindowEventsTest, StartUpErrorsShowInTheErrorBoxAndBothWindowsOpenAnyway) {
  fs::remove("orv.dat");
  fs::remove(u8"Рифленка.bmp");
  Open();
  ASSERT_EQ(errors.size(), 2);
  EXPECT_EQ(errors[0], "File not found");
  EXPECT_TRUE(errors[1].startsWith("Cannot open file") && errors[1].endsWith("Рифленка.bmp")) << errors[1].toStdString();
  EXPECT_TRUE(form1->isVisible());
  EXPECT_EQ(form2->frameGeometry().size(), QSize(579, 423)) << "without a picture the reference window keeps its own size";
  Trigger("N12");
  EXPECT_TRUE(form2->isVisible()) << "it shows its background";
}

TEST_F(WindowEventsTest, FileCommandsShareOneDialogThatKeepsItsNameAndTheWorkingFolder) {
  Open();
  const QString workingDir = QDir::currentPath();
  spinEdit1()->setText("7");
  QString proposed;
  AnswerDialog([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Сохранить ход в файл картинки");
    EXPECT_EQ(dialog.nameFilters(), QStringList("Карта (*.bmp)"));
    proposed = dialog.selectedFiles().value(0);
    static_cast<QDialog&>(dialog).accept();  // as the dialog's Open button does
  });
  Trigger("N9");
  EXPECT_TRUE(proposed.endsWith(u8"/Год7.bmp")) << proposed.toStdString();
  EXPECT_TRUE(fs::exists(u8"Год7.bmp")) << "the picture was saved where the dialog pointed";

  // Loading a map proposes no name: the dialog shows the file confirmed last.
  QString shown;
  AnswerDialog([&](QFileDialog& dialog) { shown = dialog.selectedFiles().value(0); });
  Trigger("N7");
  EXPECT_EQ(shown, proposed);

  // A failing command ends in the error box.
  WriteBytes("broken.tvk", kBrokenTurnFile);
  AnswerDialog([&](QFileDialog& dialog) {
    dialog.selectFile(QDir::current().absoluteFilePath("broken.tvk"));
    static_cast<QDialog&>(dialog).accept();
  });
  Trigger("N8");
  EXPECT_EQ(errors, QStringList("Invalid numeric input"));
  EXPECT_EQ(QDir::currentPath(), workingDir);
}

TEST_F(WindowEventsTest, ReferenceWindowTogglesFromTheMenuOrTheSurfaceAndHidesItself) {
  Open();
  ASSERT_TRUE(WaitUntilActive(form1.get()));
  form2->setWindowTitle("other");
  Trigger("N12");
  EXPECT_TRUE(form2->isVisible() && form2->isEnabled());
  EXPECT_TRUE(WaitUntilActive(form2));
  EXPECT_EQ(form2->windowTitle(), "Рифленка") << "activation sets the caption";
  Trigger("N12");
  EXPECT_FALSE(form2->isVisible() || form2->isEnabled());
  EXPECT_TRUE(WaitUntilActive(form1.get()));
  QTest::mouseDClick(window(), Qt::LeftButton, {}, InWindow({20, 10}));
  EXPECT_TRUE(form2->isVisible() && form2->isEnabled()) << "a double click on the main surface toggles";

  // Its own double click and its close button hide it but leave it enabled.
  QTest::mouseDClick(form2, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(!form2->isVisible() && form2->isEnabled());
  Trigger("N12");
  ASSERT_TRUE(form2->isVisible());
  form2->close();
  EXPECT_TRUE(!form2->isVisible() && form2->isEnabled());
  EXPECT_TRUE(form1->isVisible()) << "closing the reference window leaves the program running";
  Trigger("N12");
  EXPECT_TRUE(form2->isVisible()) << "the next toggle shows it again";
}

}  // namespace
}  // namespace app::testing
