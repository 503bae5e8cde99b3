// The picture save as PNG, read back with Qt's decoder as an independent witness.

#include <QImage>
#include <algorithm>

#include "EditorFixture.h"

namespace editor::testing {
namespace {

TEST_F(EditorTest, PictureSavesAsPngByItsNameWithTheBmpsPixels) {
  Start();
  WriteBytes("turn.tvk", "legend\r\n5\r\nPlayer\r\nA\r\n0 0\r\n\xF0 6 3,\r\n\xCA 7 3,\r\nEND\r\n");
  ui.dialogAnswers = {dir() / "turn.tvk", dir() / "year.bmp", dir() / "year.png", dir() / "YEAR.PNG"};
  ui.Run([&] { editor.N8Click(); });
  for (int save = 0; save < 3; ++save) ui.Run([&] { editor.N9Click(); });
  ASSERT_EQ(ui.errors, std::vector<std::string>{});
  render::Surface fromBmp;
  fromBmp.LoadBmp("year.bmp");
  EXPECT_TRUE(fromBmp == editor.scene.ComposedMap);
  for (const char* name : {"year.png", "YEAR.PNG"}) {
    EXPECT_EQ(ReadBytes(name).substr(1, 3), "PNG") << name;
    QImage png(QString::fromUtf8(name), "PNG");
    ASSERT_EQ(png.size(), QSize(fromBmp.Width(), fromBmp.Height())) << name;
    png.convertTo(QImage::Format_RGBX8888);
    // RGBX bytes are our 0x00BBGGRR pixels but for the unused byte, which the image sets.
    bool same = true;
    for (int y = 0; y < png.height() && same; ++y)
      same = std::equal(fromBmp.Row(y), fromBmp.Row(y) + png.width(), reinterpret_cast<const uint32_t*>(png.constScanLine(y)),
                        [](uint32_t ours, uint32_t theirs) { return ours == (theirs & 0xFFFFFF); });
    EXPECT_TRUE(same) << name << " holds other pixels than the BMP";
  }
}

}  // namespace
}  // namespace editor::testing
