// The main window grown large and the overview window, on the offscreen platform.

#include <QWheelEvent>

#include "WindowFixture.h"
#include "desktop/OverviewWindow.h"
#include "render/Geometry.h"

namespace editor::testing {
namespace {

class OverviewWindowTest : public WindowTest {
 protected:
  void OpenOnLargeMap() {
    PatternMap(2260, 1560).SaveBmp("map.bmp");
    WriteBytes("Год1.tvk", "legend\r\n1\r\nPlayer\r\nA\r\n0 0\r\n\xE4 100 60,\r\nEND\r\n");
    Open();
    ASSERT_TRUE(WaitUntilActive(form1.get()));
    spinEdit1()->setFocus();
  }
  desktop::OverviewWindow* Overview() { return form1->findChild<desktop::OverviewWindow*>("Overview"); }
  // Ctrl+M as the desktop sends it, into the year field.
  void ToggleOverview() {
    QTest::sendKeyEvent(QTest::Click, spinEdit1(), Qt::Key_M, QString(QChar('\r')), Qt::ControlModifier);
  }
  render::Area ExpectedFrame() { return overview::ViewFrame(editor().scene, Overview()->Shown().Placed()); }
  static std::tuple<int, int, int, int> Corners(render::Area a) { return {a.x1, a.y1, a.x2, a.y2}; }
  void ResizeMainWindow(QSize size) {
    form1->resize(size);
    QApplication::processEvents();
  }
};

TEST_F(OverviewWindowTest, OverviewFollowsTheViewTheTurnAndMovesTheViewWhereClicked) {
  OpenOnLargeMap();
  const render::Scene& scene = editor().scene;
  ToggleOverview();
  ASSERT_TRUE(Overview()->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), spinEdit1()) << "the year field keeps the keyboard";
  EXPECT_EQ(spinEdit1()->text(), "0");
  EXPECT_EQ(Corners(Overview()->Frame()), Corners(ExpectedFrame()));

  QWheelEvent wheel(QPointF(400, 400), surface()->mapToGlobal(QPointF(400, 400)), QPoint(), QPoint(0, -240),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(surface(), &wheel);
  ASSERT_EQ(scene.OriginY, 30 - 6 * 20);
  EXPECT_EQ(Corners(Overview()->Frame()), Corners(ExpectedFrame())) << "after a scroll";
  const render::Area small = Overview()->Frame();

  // Grown beyond the design's size, the window shows the map across its whole client area.
  ResizeMainWindow({2000, 1300});
  ASSERT_EQ(scene.Window.Width(), surface()->width());
  const QSize outer = form1->frameGeometry().size();
  EXPECT_EQ(std::pair(scene.ViewRight, scene.ViewBottom), std::pair(1152 + outer.width() - 1146, 816 + outer.height() - 857));
  const QPoint far(1900, scene.ViewBottom - 5);
  ASSERT_LT(far.y(), surface()->height());
  const QColor color = surface()->grab().toImage().pixelColor(far);
  EXPECT_EQ(render::Color(color.red() | color.green() << 8 | color.blue() << 16),
            scene.ComposedMap.PixelAt(far.x() - scene.OriginX, far.y() - scene.OriginY));
  EXPECT_EQ(Corners(Overview()->Frame()), Corners(ExpectedFrame())) << "after a resize";
  EXPECT_GT(Overview()->Frame().x2 - Overview()->Frame().x1, small.x2 - small.x1);

  // A click puts the view's middle within half a cell of the map pixel clicked.
  const overview::Placement placed = Overview()->Shown().Placed();
  const QPoint click(placed.left + placed.width / 2, placed.top + placed.height / 2);
  QTest::mouseClick(Overview(), Qt::LeftButton, {}, click);
  const render::MapPixel target = overview::MapPixelAt(scene, placed, click.x(), click.y());
  const render::Area view = render::VisibleView(scene);
  EXPECT_LE(std::abs((view.x1 + view.x2) / 2 - scene.OriginX - target.px), 10);
  EXPECT_LE(std::abs((view.y1 + view.y2) / 2 - scene.OriginY - target.py), 10);
  EXPECT_EQ(Corners(Overview()->Frame()), Corners(ExpectedFrame()));

  // A turn typed into the year field shows in the overview at once.
  spinEdit1()->setText("1");
  EXPECT_TRUE(Overview()->Shown().Picture() == overview::Scaled(scene.ComposedMap, placed.width, placed.height));

  // Closing only hides it; the key shows it again.
  Overview()->close();
  ASSERT_NE(Overview(), nullptr);
  EXPECT_FALSE(Overview()->isVisible());
  ToggleOverview();
  EXPECT_TRUE(Overview()->isVisible());
  EXPECT_EQ(spinEdit1()->text(), "1") << "the key stepped no year and typed nothing";
}

}  // namespace
}  // namespace editor::testing
