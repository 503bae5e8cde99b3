#include "WindowFixture.h"

namespace app::testing {
namespace {

using ReferenceWindowTest = WindowTest;

TEST_F(ReferenceWindowTest, TakesThePicturesSizeAndShowsItUnscaled) {
  PatternMap(300, 200).SaveBmp(u8"Рифленка.bmp");
  Open();
  EXPECT_FALSE(form2->isVisible());
  EXPECT_TRUE(form2->windowFlags().testFlag(Qt::Tool));
  EXPECT_EQ(form2->parentWidget(), form1.get());
  EXPECT_EQ(form2->frameGeometry(), QRect(-2, 70, 300, 200));

  Trigger("N12");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form2));
  const QImage shown = form2->grab().toImage();
  // The frame takes its share of the picture's size: the client area shows its top-left part.
  for (QPoint at : {QPoint(0, 0), QPoint(17, 33), QPoint(form2->width() - 1, form2->height() - 1)}) {
    const QColor c = shown.pixelColor(at);
    EXPECT_EQ(render::Color(c.red() | c.green() << 8 | c.blue() << 16), form2->RefPicture().PixelAt(at.x(), at.y()));
  }
}

TEST_F(ReferenceWindowTest, ToggleShowsAndHidesAndMovesTheFocus) {
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

  // A double click on the main window's own surface toggles as well.
  QTest::mouseDClick(window(), Qt::LeftButton, {}, InWindow({20, 10}));
  EXPECT_TRUE(form2->isVisible() && form2->isEnabled());
}

TEST_F(ReferenceWindowTest, DoubleClickAndCloseButtonHideItButLeaveItEnabled) {
  Open();
  Trigger("N12");
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
