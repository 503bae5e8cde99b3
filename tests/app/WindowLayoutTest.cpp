#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

#include "WindowFixture.h"
#include "app/PanelStatusBar.h"
#include "app/UpDownButtons.h"

namespace app::testing {
namespace {

TEST_F(WindowTest, MainWindowHasItsDescribedFrameCaptionColourAndCursor) {
  WriteStartupFiles();
  Open();
  EXPECT_EQ(form1->windowTitle(), "Tirmagor - редактор");
  // The offscreen test platform keeps a window's frame on its screen, so x = -1 may become 0 or more.
  EXPECT_LE(std::abs(form1->frameGeometry().left() - -1), 2);
  EXPECT_EQ(form1->frameGeometry().top(), 0);
  EXPECT_EQ(form1->frameGeometry().size(), QSize(1146, 857));
  EXPECT_EQ(form1->font().family(), "Bookman Old Style");
  EXPECT_EQ(form1->font().pixelSize(), 15);

  const QColor menuColor = QApplication::palette("QMenu").color(QPalette::Window);
  EXPECT_EQ(form1->palette().color(QPalette::Window), menuColor);
  EXPECT_EQ(editor().scene.WindowColor,
            render::Color(menuColor.red() | menuColor.green() << 8 | menuColor.blue() << 16));
  EXPECT_EQ(surface()->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(surface()->geometry().topLeft(), QPoint(0, form1->menuBar()->height()));
  EXPECT_TRUE(surface()->hasMouseTracking());
  EXPECT_TRUE(errors.isEmpty()) << errors.join("; ").toStdString();
}

TEST_F(WindowTest, ControlsStandAtTheirPixelsWithTheirTextsAndRanges) {
  WriteStartupFiles();
  Open();
  auto* label1 = Control<QLabel>("Label1");
  EXPECT_EQ(label1->geometry(), QRect(56, 0, 21, 15));
  EXPECT_EQ(label1->text(), "Год");
  EXPECT_EQ(label1->font().family(), "Arial");
  EXPECT_EQ(label1->font().pixelSize(), 12);

  auto* spinEdit1 = Control<QLineEdit>("SpinEdit1");
  EXPECT_EQ(spinEdit1->geometry(), QRect(88, 0, 65, 24));
  EXPECT_EQ(spinEdit1->text(), "0");
  EXPECT_EQ(spinEdit1->font().pixelSize(), 12);
  EXPECT_EQ(spinEdit1->focusPolicy() & Qt::TabFocus, 0) << "the Tab key passes the year field by";

  auto* label3 = Control<QLabel>("Label3");
  EXPECT_EQ(label3->geometry(), QRect(184, 8, 43, 14));
  EXPECT_EQ(label3->text(), "Игроков");
  EXPECT_EQ(label3->font().pixelSize(), 11);

  auto* edit2 = Control<QLineEdit>("Edit2");
  EXPECT_EQ(edit2->geometry(), QRect(232, 0, 33, 22));
  EXPECT_EQ(edit2->text(), "27");
  EXPECT_EQ(edit2->font().pixelSize(), 11);

  auto* upDown1 = Control<UpDownButtons>("UpDown1");
  EXPECT_EQ(upDown1->geometry(), QRect(264, 0, 17, 25));
  EXPECT_EQ(upDown1->Position(), 27);
  EXPECT_EQ(upDown1->Maximum(), 27);

  auto* statusBar1 = Control<PanelStatusBar>("StatusBar1");
  EXPECT_EQ(statusBar1->geometry(), QRect(0, 25, 761, 20));
  EXPECT_EQ(statusBar1->font().family(), "Bookman Old Style");
  EXPECT_EQ(statusBar1->font().pixelSize(), 13);
  ASSERT_EQ(statusBar1->PanelCount(), 4);
  const int widths[] = {60, 300, 150, 150};
  const Qt::Alignment alignments[] = {Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignHCenter};
  const QString texts[] = {"(x,y)", "Название земли", "доход", "РУДНИК"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(statusBar1->PanelAt(i).width, widths[i]) << i;
    EXPECT_EQ(statusBar1->PanelAt(i).alignment, alignments[i]) << i;
    EXPECT_EQ(statusBar1->PanelAt(i).text, texts[i]) << i;
  }

  auto* scrollBar1 = Control<QScrollBar>("ScrollBar1");
  auto* scrollBar2 = Control<QScrollBar>("ScrollBar2");
  EXPECT_FALSE(scrollBar1->isVisible());
  EXPECT_FALSE(scrollBar2->isVisible());
  EXPECT_EQ(scrollBar1->geometry(), QRect(0, 816, 1121, 8));
  EXPECT_EQ(scrollBar2->geometry(), QRect(1152, 40, 16, 753));
  EXPECT_EQ(scrollBar2->value(), 9);
  // Their edges are the view's bounds that the painting uses.
  EXPECT_EQ(editor().scene.ViewBottom, scrollBar1->y());
  EXPECT_EQ(editor().scene.ViewRight, scrollBar2->x());

  EXPECT_EQ(QApplication::focusWidget(), spinEdit1);
}

TEST_F(WindowTest, FontsMissingOnTheSystemAreReplacedByInstalledLookAlikes) {
  WriteStartupFiles();
  Open();
  // Where the described families are installed they are used; otherwise the look-alikes stand in.
  const QString bookman = QFontInfo(form1->font()).family();
  const QString arial = QFontInfo(Control<QLabel>("Label1")->font()).family();
  EXPECT_TRUE(bookman.startsWith("Bookman Old Style") || bookman.startsWith("URW Bookman")) << bookman.toStdString();
  EXPECT_TRUE(arial.startsWith("Arial") || arial.startsWith("Liberation Sans")) << arial.toStdString();
}

TEST_F(WindowTest, MenuBarShowsFilesAndReferenceAndHidesTheRest) {
  WriteStartupFiles();
  Open();
  const QList<QAction*> top = form1->menuBar()->actions();
  ASSERT_EQ(top.size(), 5);
  const QStringList captions = {"X", "Файлы", "Рифленка", "Правила", "Летопись"};
  const bool visible[] = {false, true, true, false, false};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(top[i]->text(), captions[i]) << i;
    EXPECT_EQ(top[i]->isVisible(), visible[i]) << i;
  }
  QAction* x1 = top[0];
  EXPECT_FALSE(x1->isEnabled());
  EXPECT_EQ(x1->shortcut(), QKeySequence("Ctrl+Q"));
  EXPECT_EQ(x1->statusTip(), "Выход");
  EXPECT_EQ(top[2]->menu(), nullptr) << "Рифленка is a command on the bar itself";

  QMenu* file1 = top[1]->menu();
  ASSERT_NE(file1, nullptr);
  QStringList items;
  for (QAction* item : file1->actions()) {
    items << item->text();
    EXPECT_TRUE(item->isVisible() && item->isEnabled()) << item->text().toStdString();
    EXPECT_TRUE(item->shortcut().isEmpty()) << item->text().toStdString();
  }
  EXPECT_EQ(items, QStringList({"Загрузить карту", "Загрузить ход", "Загрузить эпоху", "Загрузить палитру",
                                "Сохранить как картинку", "Сохранить ход", "Выход"}));

  file1->actions().last()->trigger();
  EXPECT_FALSE(form1->isVisible()) << "Выход closes the main window";
}

TEST_F(WindowTest, ResizingMovesNoControlAndResizesTheWindowSurface) {
  WriteStartupFiles();
  Open();
  QList<QRect> before;
  const QList<QWidget*> controls = surface()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  for (QWidget* control : controls) before << control->geometry();

  form1->resize(700, 500);
  QApplication::processEvents();
  for (qsizetype i = 0; i < controls.size(); ++i)
    EXPECT_EQ(controls[i]->geometry(), before[i]) << controls[i]->objectName().toStdString();
  EXPECT_EQ(editor().scene.Window.Width(), surface()->width());
  EXPECT_EQ(editor().scene.Window.Height(), surface()->height());
  EXPECT_EQ(surface()->width(), 700);
}

TEST_F(WindowTest, SurfaceShowsTheEditorsWindowPixels) {
  WriteStartupFiles();
  Open();
  const render::Scene& scene = editor().scene;
  ASSERT_EQ(scene.Window.Width(), surface()->width());
  ASSERT_EQ(scene.Window.Height(), surface()->height());
  const QImage shown = surface()->grab().toImage();
  auto shownColor = [&](int x, int y) {
    const QColor c = shown.pixelColor(x, y);
    return render::Color(c.red() | c.green() << 8 | c.blue() << 16);
  };
  // Map view, map margin, kind strip icon dot, beyond the strips: the surface is shown unchanged.
  for (QPoint at : {QPoint(300, 200), QPoint(10, 60), QPoint(281 + 10, 10), QPoint(1210, 10), QPoint(600, 500)})
    EXPECT_EQ(shownColor(at.x(), at.y()), scene.Window.PixelAt(at.x(), at.y())) << at.x() << "," << at.y();
  EXPECT_EQ(scene.Window.PixelAt(300, 200), scene.CleanMap.PixelAt(298, 170)) << "the first paint shows the map";
  EXPECT_EQ(shownColor(281 + 10, 10), render::Black);
}

}  // namespace
}  // namespace app::testing
