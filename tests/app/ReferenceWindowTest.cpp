#include <QMenuBar>

#include "WindowFixture.h"

namespace app::testing {
namespace {

class ReferenceWindowTest : public WindowTest {
 protected:
  void WritePicture(int width, int height) { PatternMap(width, height).SaveBmp(u8"Рифленка.bmp"); }
  void Toggle() { form1->findChild<QAction*>("N12")->trigger(); }
};

TEST_F(ReferenceWindowTest, TakesThePicturesSizeAndShowsItUnscaled) {
  WriteStartupFiles();
  WritePicture(300, 200);
  Open();
  EXPECT_FALSE(form2->isVisible());
  EXPECT_EQ(form2->windowTitle(), "Рифленка");
  EXPECT_TRUE(form2->windowFlags().testFlag(Qt::Tool));
  EXPECT_EQ(form2->parentWidget(), form1.get());
  EXPECT_EQ(form2->frameGeometry().topLeft(), QPoint(-2, 70));
  EXPECT_EQ(form2->frameGeometry().size(), QSize(300, 200));

  Toggle();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form2));
  const QImage shown = form2->grab().toImage();
  // The frame takes its share of the picture's size: the client area shows its top-left part.
  ASSERT_LE(form2->width(), 300);
  for (QPoint at : {QPoint(0, 0), QPoint(17, 33), QPoint(form2->width() - 1, form2->height() - 1)}) {
    const QColor c = shown.pixelColor(at);
    EXPECT_EQ(render::Color(c.red() | c.green() << 8 | c.blue() << 16), form2->RefPicture().PixelAt(at.x(), at.y()));
  }
}

TEST_F(ReferenceWindowTest, MissingPictureIsReportedAndTheWindowKeepsItsDescribedSize) {
  WriteStartupFiles();
  fs::remove(u8"Рифленка.bmp");
  Open();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith("Cannot open file")) << errors[0].toStdString();
  EXPECT_TRUE(errors[0].contains("Рифленка.bmp")) << errors[0].toStdString();
  EXPECT_EQ(form2->frameGeometry().size(), QSize(579, 423));
  Toggle();
  EXPECT_TRUE(form2->isVisible()) << "it shows its background";
}

TEST_F(ReferenceWindowTest, ToggleShowsAndHidesAndMovesTheFocus) {
  WriteStartupFiles();
  Open();
  ASSERT_TRUE(WaitUntilActive(form1.get()));
  form2->setWindowTitle("other");

  Toggle();
  EXPECT_TRUE(form2->isVisible());
  EXPECT_TRUE(form2->isEnabled());
  EXPECT_TRUE(WaitUntilActive(form2));
  EXPECT_EQ(form2->windowTitle(), "Рифленка") << "activation sets the caption";

  Toggle();
  EXPECT_FALSE(form2->isVisible());
  EXPECT_FALSE(form2->isEnabled());
  EXPECT_TRUE(WaitUntilActive(form1.get()));

  // A double click on the main window's own surface toggles as well.
  QTest::mouseDClick(window(), Qt::LeftButton, {}, InWindow(20, 10));
  EXPECT_TRUE(form2->isVisible());
  EXPECT_TRUE(form2->isEnabled());
}

TEST_F(ReferenceWindowTest, DoubleClickAndCloseButtonHideItButLeaveItEnabled) {
  WriteStartupFiles();
  Open();
  Toggle();
  QTest::mouseDClick(form2, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_FALSE(form2->isVisible());
  EXPECT_TRUE(form2->isEnabled());

  Toggle();
  ASSERT_TRUE(form2->isVisible());
  form2->close();
  EXPECT_FALSE(form2->isVisible());
  EXPECT_TRUE(form2->isEnabled());
  EXPECT_TRUE(form1->isVisible()) << "closing the reference window leaves the program running";

  Toggle();
  EXPECT_TRUE(form2->isVisible()) << "the next toggle shows it again";
}

}  // namespace
}  // namespace app::testing
