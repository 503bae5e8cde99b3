#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

#include "WindowFixture.h"

namespace app::testing {
namespace {

render::Color ColorOf(const QColor& c) { return render::Color(c.red() | c.green() << 8 | c.blue() << 16); }

TEST_F(WindowTest, MainWindowHasItsFrameCaptionColourCursorAndFonts) {
  Open();
  EXPECT_EQ(form1->windowTitle(), "Tirmagor - редактор");
  // The offscreen test platform keeps a window's frame on its screen, so x = -1 may become 0 or more.
  EXPECT_LE(std::abs(form1->frameGeometry().left() - -1), 2);
  EXPECT_EQ(form1->frameGeometry().top(), 0);
  EXPECT_EQ(form1->frameGeometry().size(), QSize(1146, 857));
  const QColor menuColor = QApplication::palette("QMenu").color(QPalette::Window);
  EXPECT_EQ(form1->palette().color(QPalette::Window), menuColor);
  EXPECT_EQ(editor().scene.WindowColor, ColorOf(menuColor));
  EXPECT_EQ(surface()->cursor().shape(), Qt::PointingHandCursor);

  // Bookman Old Style and Arial where installed; otherwise their look-alikes stand in.
  const QString bookman = QFontInfo(form1->font()).family();
  const QString arial = QFontInfo(Control("Label1")->font()).family();
  EXPECT_TRUE(bookman.startsWith("Bookman Old Style") || bookman.startsWith("URW Bookman")) << bookman.toStdString();
  EXPECT_TRUE(arial.startsWith("Arial") || arial.startsWith("Liberation Sans")) << arial.toStdString();
}

TEST_F(WindowTest, ControlsStandAtTheirPixelsWithTheirTexts) {
  Open();
  const std::tuple<const char*, QRect, QString> controls[] = {
      {"Label1", {56, 0, 21, 15}, "Год"},         {"SpinEdit1", {88, 0, 65, 24}, "0"},
      {"Label3", {184, 8, 43, 14}, "Игроков"},    {"Edit2", {232, 0, 33, 22}, "27"},
      {"UpDown1", {264, 0, 17, 25}, ""},          {"StatusBar1", {0, 25, 761, 20}, ""},
      {"ScrollBar1", {0, 816, 1121, 8}, ""},      {"ScrollBar2", {1152, 40, 16, 753}, ""},
  };
  for (const auto& [name, geometry, text] : controls) {
    QWidget* control = Control(name);
    EXPECT_EQ(control->geometry(), geometry) << name;
    EXPECT_EQ(control->property("text").toString(), text) << name;
  }
  EXPECT_EQ(Control<QLineEdit>("SpinEdit1")->focusPolicy() & Qt::TabFocus, 0) << "the Tab key passes the year field by";
  EXPECT_EQ(QApplication::focusWidget(), Control("SpinEdit1"));

  EXPECT_EQ(StatusTexts(), QStringList({"(x,y)", "Название земли", "доход", "РУДНИК"}));

  // The hidden scroll bars' edges are the view's bounds that the painting uses.
  auto* scrollBar1 = Control<QScrollBar>("ScrollBar1");
  auto* scrollBar2 = Control<QScrollBar>("ScrollBar2");
  EXPECT_FALSE(scrollBar1->isVisible() || scrollBar2->isVisible());
  EXPECT_EQ(QPoint(editor().scene.ViewRight, editor().scene.ViewBottom), QPoint(scrollBar2->x(), scrollBar1->y()));
}

TEST_F(WindowTest, MenuBarShowsFilesAndReferenceAndHidesTheRest) {
  Open();
  const QList<QAction*> top = form1->menuBar()->actions();
  QStringList shown, hidden;
  for (QAction* action : top) (action->isVisible() ? shown : hidden) << action->text();
  EXPECT_EQ(shown, QStringList({"Файлы", "Рифленка"}));
  EXPECT_EQ(hidden, QStringList({"X", "Правила", "Летопись"}));
  EXPECT_EQ(top[2]->menu(), nullptr) << "Рифленка is a command on the bar itself";

  QMenu* file1 = top[1]->menu();
  ASSERT_NE(file1, nullptr);
  QStringList items;
  for (QAction* item : file1->actions())
    if (item->isVisible() && item->isEnabled() && item->shortcut().isEmpty()) items << item->text();
  EXPECT_EQ(items, QStringList({"Загрузить карту", "Загрузить ход", "Загрузить эпоху", "Загрузить палитру",
                                "Сохранить как картинку", "Сохранить ход", "Выход"}));
  file1->actions().last()->trigger();
  EXPECT_FALSE(form1->isVisible()) << "Выход closes the main window";
}

TEST_F(WindowTest, SurfaceShowsTheEditorsWindowPixelsAndResizingMovesNoControl) {
  Open();
  const render::Scene& scene = editor().scene;
  const QImage shown = surface()->grab().toImage();
  ASSERT_EQ(shown.size(), QSize(scene.Window.Width(), scene.Window.Height()));
  // Map view, map margin, kind strip icon dot, beyond the strips: the surface is shown unchanged.
  for (QPoint at : {QPoint(300, 200), QPoint(10, 60), QPoint(281 + 10, 10), QPoint(1210, 10)})
    EXPECT_EQ(ColorOf(shown.pixelColor(at)), scene.Window.PixelAt(at.x(), at.y())) << at.x() << "," << at.y();
  EXPECT_EQ(scene.Window.PixelAt(300, 200), scene.CleanMap.PixelAt(298, 170)) << "the first paint shows the map";

  const QList<QWidget*> controls = surface()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  QList<QRect> before;
  for (QWidget* control : controls) before << control->geometry();
  form1->resize(700, 500);
  QApplication::processEvents();
  QList<QRect> after;
  for (QWidget* control : controls) after << control->geometry();
  EXPECT_EQ(after, before);
  EXPECT_EQ(surface()->width(), 700);
  EXPECT_EQ(QSize(scene.Window.Width(), scene.Window.Height()), surface()->size()) << "the window surface follows";
}

TEST_F(WindowTest, ReferenceWindowTakesThePicturesSizeAndShowsItUnscaled) {
  PatternMap(300, 200).SaveBmp(u8"Рифленка.bmp");
  Open();
  EXPECT_TRUE(form2->windowFlags().testFlag(Qt::Tool));
  EXPECT_EQ(form2->parentWidget(), form1.get());
  EXPECT_EQ(form2->frameGeometry(), QRect(-2, 70, 300, 200));

  Trigger("N12");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form2));
  const QImage shown = form2->grab().toImage();
  // The frame takes its share of the picture's size: the client area shows its top-left part.
  for (QPoint at : {QPoint(0, 0), QPoint(17, 33), QPoint(form2->width() - 1, form2->height() - 1)}) {
    const render::Color expected = form2->RefPicture().PixelAt(at.x(), at.y());
    EXPECT_EQ(ColorOf(shown.pixelColor(at)), expected) << at.x() << "," << at.y();
  }
}

}  // namespace
}  // namespace app::testing
