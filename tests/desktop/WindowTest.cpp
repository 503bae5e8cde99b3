// The Qt windows on the offscreen platform: their layout, and events reaching the Editor.

#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QWheelEvent>

#include "WindowFixture.h"
#include "desktop/UpDownButtons.h"

namespace editor::testing {
namespace {

render::Color ColorOf(const QColor& c) { return render::Color(c.red() | c.green() << 8 | c.blue() << 16); }

// Window pixel of the middle of a cell at the start-up origin (2, 30).
QPoint CellMiddle(int x, int y) { return QPoint(2 + 20 * x + 30, 30 + 20 * (y - 1) + 28); }

TEST_F(WindowTest, MainWindowShowsItsControlsMenusAndTheEditorsWindowSurface) {
  Open();
  EXPECT_EQ(editor().scene.WindowColor, ColorOf(QApplication::palette("QMenu").color(QPalette::Window)));
  EXPECT_EQ(surface()->cursor().shape(), Qt::PointingHandCursor);
  // Bookman Old Style where installed; otherwise its look-alike stands in.
  const QString font = QFontInfo(form1->font()).family();
  EXPECT_TRUE(font.contains("Bookman")) << font.toStdString();

  const std::tuple<const char*, QRect, QString> controls[] = {
      {"Label1", {56, 0, 21, 15}, "Год"},         {"SpinEdit1", {88, 0, 65, 24}, "0"},
      {"Label3", {184, 8, 43, 14}, "Игроков"},    {"Edit2", {232, 0, 33, 22}, "27"},
      {"UpDown1", {264, 0, 17, 25}, ""},          {"StatusBar1", {0, 25, 761, 20}, ""},
      {"ScrollBar1", {0, 816, 1121, 8}, ""},      {"ScrollBar2", {1152, 40, 16, 753}, ""},
  };
  for (const auto& [name, geometry, text] : controls) {
    EXPECT_EQ(Control(name)->geometry(), geometry) << name;
    EXPECT_EQ(Control(name)->property("text").toString(), text) << name;
  }
  EXPECT_EQ(StatusTexts(), QStringList({"(x,y)", "Название земли", "доход", "РУДНИК"}));
  EXPECT_EQ(spinEdit1()->focusPolicy() & Qt::TabFocus, 0) << "the Tab key passes the year field by";
  EXPECT_FALSE(Control("ScrollBar1")->isVisible() || Control("ScrollBar2")->isVisible());
  auto* down = Control<UpDownButtons>("UpDown1")->findChild<QToolButton*>("Down");
  for (int i = 0; i < 30; ++i) QTest::mouseClick(down, Qt::LeftButton);
  EXPECT_EQ(Control<QLineEdit>("Edit2")->text(), "2") << "the player count stops at 2";

  QStringList bar, commands;
  for (QAction* action : form1->menuBar()->actions())
    if (action->isVisible()) bar << action->text();
  for (QAction* action : Control<QMenu>("File1")->actions()) commands << action->text();
  EXPECT_EQ(bar, QStringList({"Файлы", "Рифленка", "Правка", "Обзор"}));
  EXPECT_EQ(commands, QStringList({"Загрузить карту", "Загрузить ход", "Загрузить эпоху", "Загрузить палитру",
                                   "Сохранить как картинку", "Сохранить ход", "Выход"}));

  // The window opens at the design's outer size; the overview window's test grows it and checks
  // what the surface then shows.
  EXPECT_TRUE(QTest::qWaitFor([&] { return form1->frameGeometry().size() == TForm1::OuterSize; }));
  Trigger("N11");
  EXPECT_FALSE(form1->isVisible()) << "Выход closes the main window";
}

TEST_F(WindowTest, ReferenceWindowShowsItsPictureUnscaledAndToggles) {
  const render::Surface picture = PatternMap(300, 200);
  picture.SaveBmp(u8"Рифленка.bmp");
  Open();
  EXPECT_EQ(form2->frameGeometry(), QRect(-2, 70, 300, 200)) << "the picture's size";
  Trigger("N12");
  ASSERT_TRUE(WaitUntilActive(form2));
  // The frame takes its share of the picture's size: the client area shows its top-left part.
  const QPoint corner(form2->width() - 1, form2->height() - 1);
  EXPECT_EQ(ColorOf(form2->grab().toImage().pixelColor(corner)), picture.PixelAt(corner.x(), corner.y()));

  Trigger("N12");
  EXPECT_FALSE(form2->isVisible() || form2->isEnabled());
  EXPECT_TRUE(WaitUntilActive(form1.get()));
  QTest::mouseDClick(window(), Qt::LeftButton, {}, InWindow({20, 10}));
  EXPECT_TRUE(form2->isVisible() && form2->isEnabled()) << "a double click on the main surface toggles";
  // Its own double click hides it but leaves it enabled; the next toggle shows it again.
  QTest::mouseDClick(form2, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(!form2->isVisible() && form2->isEnabled());
  Trigger("N12");
  EXPECT_TRUE(form2->isVisible());
}

TEST_F(WindowTest, MouseOnTheSurfaceReachesTheEditorAtItsClientPixelButNotOverAControl) {
  Open();
  Click(Qt::LeftButton, {281 + 4 * 20 + 5, 5});  // kind 5 in the kind strip
  ASSERT_EQ(editor().edit.SelectedKind, 5);
  const QStringList statusOverStrip = StatusTexts();
  Click(Qt::LeftButton, {100, 35});  // in the map zone, but on the status bar
  QTest::mouseMove(window(), InWindow({100, 35}));
  const world::TPlayer& player1 = editor().World.players[1];
  EXPECT_EQ(player1.count, 0);
  EXPECT_EQ(StatusTexts(), statusOverStrip);

  Click(Qt::LeftButton, CellMiddle(4, 6));
  EXPECT_EQ(player1.units[1], (world::TUnit{4, 6, 5}));
  Click(Qt::RightButton, CellMiddle(4, 6));  // picks it up and deletes it
  EXPECT_EQ(player1.count, 0);
  QTest::mouseMove(window(), InWindow(CellMiddle(2, 1)));
  EXPECT_EQ(StatusTexts(), QStringList({"(2-1)", "Северия", "доход 15 монет", "Золотой рудник"}));
  QTest::mouseMove(window(), InWindow(CellMiddle(50, 10)));
  EXPECT_EQ(StatusTexts(), QStringList({"(50-10)", "", "0", ""})) << "a cell of no land";
}

TEST_F(WindowTest, WheelScrollsTheViewByWholeCells) {
  PatternMap(1600, 1200).SaveBmp("map.bmp");
  Open();
  auto turn = [this](int angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWheelEvent wheel(QPointF(400, 400), surface()->mapToGlobal(QPointF(400, 400)), QPoint(), QPoint(0, angle),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(surface(), &wheel);
  };
  const render::Scene& scene = editor().scene;
  turn(-120);  // one notch towards the user: down the map
  turn(-120, Qt::ShiftModifier);  // with Shift: to the right
  EXPECT_EQ(QPoint(scene.OriginX, scene.OriginY), QPoint(2 - 3 * 20, 30 - 3 * 20));
  turn(60);  // half a notch waits for the other half
  EXPECT_EQ(scene.OriginY, 30 - 3 * 20);
  turn(60);
  EXPECT_EQ(scene.OriginY, 30);
}

TEST_F(WindowTest, YearFieldLoadsEveryYearItShowsAndStaysWithinZeroToThousand) {
  WriteBytes(u8"Год1.tvk", TurnFile(1, 3));
  WriteBytes(u8"Год12.tvk", "legend\r\nyear\r\n");  // no number
  WriteBytes(u8"Год0.tvk", TurnFile(0, 5));
  Open();
  ASSERT_TRUE(WaitUntilActive(form1.get()));
  spinEdit1()->selectAll();
  QTest::keyClicks(spinEdit1(), "12");
  EXPECT_EQ(editor().PlayerCount, 3) << "year 1 was loaded on the way";
  EXPECT_EQ(errors, QStringList("Invalid numeric input")) << "year 12 was loaded exactly once";
  QTest::keyClick(spinEdit1(), Qt::Key_Backspace);
  QTest::keyClick(spinEdit1(), Qt::Key_Backspace);
  EXPECT_EQ(editor().PlayerCount, 5) << "an empty field counts as year 0";

  // A key released while the window itself has the focus steps the year; in the field it stays there.
  QTest::keyRelease(form1.get(), Qt::Key_A);  // as a release in the year field arrives, passed on to the window
  EXPECT_EQ(spinEdit1()->text(), "");
  spinEdit1()->clearFocus();
  QTest::keyRelease(form1.get(), Qt::Key_A);
  EXPECT_EQ(editor().PlayerCount, 3) << "year 1 was loaded";

  // It takes integer characters only, and steps and clamps within 0 to 1000.
  spinEdit1()->setText("5");
  spinEdit1()->setFocus();
  QTest::keyClicks(spinEdit1(), "a*+-");
  EXPECT_EQ(spinEdit1()->text(), "5+-");
  EXPECT_EQ(editor().World.Year, 0) << "a text that is no integer counts as 0";

  spinEdit1()->setText("999");
  QTest::keyClick(spinEdit1(), Qt::Key_Up);
  QTest::keyClick(spinEdit1(), Qt::Key_Up);
  EXPECT_EQ(spinEdit1()->text(), "1000") << "stepping stops at the top";

  // A year beyond the range stands until the focus moves to another control.
  spinEdit1()->setText("2000");
  for (Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
    QFocusEvent toMenuOrOtherWindow(QEvent::FocusOut, reason);
    QApplication::sendEvent(spinEdit1(), &toMenuOrOtherWindow);
  }
  EXPECT_EQ(spinEdit1()->text(), "2000") << "opening the menu or another window keeps it";
  Control("Edit2")->setFocus();
  EXPECT_EQ(editor().World.Year, 1000);
}

TEST_F(WindowTest, StartUpErrorsShowInTheErrorBoxAndBothWindowsOpenAnyway) {
  fs::remove("orv.dat");
  fs::remove(u8"Рифленка.bmp");
  Open();
  EXPECT_EQ(errors, QStringList({"File not found", "Cannot open file Рифленка.bmp"}));
  EXPECT_EQ(std::pair(int(editor().PlayerCount), editor().scene.ComposedMap.Width()), std::pair(27, 0));
  EXPECT_EQ(form2->frameGeometry().size(), QSize(579, 423)) << "without a picture it keeps its own size";
}

TEST_F(WindowTest, StartedWithAFolderOrATurnItOpensThatWorld) {
  // A world in a folder of its own, its years in a subfolder; the working folder holds none.
  fs::create_directories("game/years");
  for (const char* file : {"orv.dat", "map.bmp", "osnova.bmp", "rudnici.bmp", "Рифленка.bmp"})
    fs::rename(fs::path(reinterpret_cast<const char8_t*>(file)), fs::path("game") / reinterpret_cast<const char8_t*>(file));
  WriteBytes("game/years/Год5.tvk", TurnFile(5, 4));
  // The years folder the field then loads from is the editor's command line test's to check.
  Open(LocateWorld("game/years/Год5.tvk"));
  EXPECT_EQ(errors, QStringList()) << "every start-up file came from the world";
  EXPECT_EQ(std::pair(spinEdit1()->text(), Control<QLineEdit>("Edit2")->text()), std::pair(QString("5"), QString("4")));
  EXPECT_EQ(form2->RefPicture().Width(), 120) << "the reference picture of the world";

  form1.reset();
  errors.clear();
  Open(LocateWorld("game"));
  EXPECT_EQ(errors, QStringList());
  EXPECT_EQ(std::pair(spinEdit1()->text(), int(editor().PlayerCount)), std::pair(QString("0"), 27));
  EXPECT_EQ(editor().EpochDir, (dir() / "game").lexically_normal().string() + "/");
}

TEST_F(WindowTest, FileCommandsShareOneDialogThatKeepsItsName) {
  Open();
  spinEdit1()->setText("7");
  AnswerDialog([](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Сохранить ход в файл картинки");
    EXPECT_EQ(dialog.nameFilters(), QStringList({"Карта (*.bmp)", "Картинка PNG (*.png)"}));
    static_cast<QDialog&>(dialog).accept();  // as the dialog's Open button does
  });
  Trigger("N9");
  EXPECT_TRUE(fs::exists(u8"Год7.bmp")) << "saved under the proposed name";

  // Loading a turn proposes no name: the dialog shows the file confirmed last. That picture
  // is no turn, and the failed command ends in the error box.
  QString shown;
  AnswerDialog([&](QFileDialog& dialog) {
    shown = dialog.selectedFiles().value(0);
    static_cast<QDialog&>(dialog).accept();
  });
  Trigger("N8");
  EXPECT_TRUE(shown.endsWith(u8"/Год7.bmp")) << shown.toStdString();
  EXPECT_EQ(errors, QStringList("Invalid numeric input"));
}

}  // namespace
}  // namespace editor::testing

int main(int argc, char* argv[]) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
