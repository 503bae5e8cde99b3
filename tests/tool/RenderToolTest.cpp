#include <QImage>
#include <QString>

#include "ToolRunner.h"
#include "render/Markers.h"
#include "render/Surface.h"
#include "world/Palette.h"

using testing_files::Cp;
using testing_files::Lines;

namespace {

render::Surface Sheet(int width, int height, render::Color background) {
  render::Surface s;
  s.SetSize(width, height);
  s.Fill(background);
  return s;
}

class RenderTool : public Tool {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(dir / "start");
    dir.Write("start/orv.dat", Lines({"", "", "0", "", "1 ", "2 ", "3 ", "4 ", ""}));
    render::Surface map = Sheet(300, 200, world::Rgb(210, 230, 190));
    for (int x = 0; x < 300; x += 20) map.SetPixel(x, 50, render::Black);
    map.SaveBmp(dir / "start/map.bmp");
    render::Surface icons = Sheet(300, 20, render::White);
    for (int k = 0; k < 15; ++k)
      for (int i = 5; i < 15; ++i) icons.SetPixel(k * 20 + i, 10 + k % 3, render::Black);
    icons.SaveBmp(dir / "start/osnova.bmp");
    render::Surface mines = Sheet(80, 20, render::White);
    for (int i = 0; i < 80; i += 3) mines.SetPixel(i, 9, world::Rgb(90, 60, 30));
    mines.SaveBmp(dir / "start/rudnici.bmp");
    dir.Write("colours.pal", "0 0 0\r\n200 30 30\r\n");
    dir.Write("Год3.tvk", Lines({"legend", "3", "Player", "A", "0 0", Cp("д 2 2,3 2,"), Cp("К 2 2,"),
                                "Player", "B", "0 0", Cp("г 5 5,"), "M 6 6,", "END"}));
    dir.Write("Год4.tvk", Lines({"legend", "4", "Player", "A", "0 0", Cp("З 9 7,"), "END"}));
  }

  // What the editor core composes for a turn, called step by step.
  render::Surface ComposeDirectly(const std::string& turn) {
    render::Scene scene;
    scene.CellSize = 20;
    scene.CleanMap.LoadBmp(dir / "start/map.bmp");
    scene.ComposedMap.LoadBmp(dir / "start/map.bmp");
    scene.IconSheet.LoadBmp(dir / "start/osnova.bmp");
    scene.MineSheet.LoadBmp(dir / "start/rudnici.bmp");
    render::BuildMaskSheet(scene);
    scene.MarkerBitmap.SetSize(20, 20);
    scene.MarkerBitmap.TransparentColor = scene.IconSheet.PixelAt(1, 1);
    scene.MarkerBitmap.Transparent = true;
    world::DefaultPalette(scene.Palette);
    world::ReadPaletteFile(scene.Palette, dir / "colours.pal");
    world::TMap map;
    uint8_t players = 0;
    render::EditingState state;
    render::ReadTurnFileAndDraw(scene, map, players, state, dir / turn);
    return scene.ComposedMap;
  }
};

TEST_F(RenderTool, PictureIsWhatTheEditorComposes) {
  ToolRun run = RunTool("render --dir start --palette colours.pal -o out.bmp Год3.tvk");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "out.bmp\n");
  render::Surface written;
  written.LoadBmp(dir / "out.bmp");
  const render::Surface expected = ComposeDirectly("Год3.tvk");
  EXPECT_TRUE(written == expected);
  // The turn's markers are really there: the picture is not the bare map.
  render::Surface bare;
  bare.LoadBmp(dir / "start/map.bmp");
  EXPECT_FALSE(written == bare);

  run = RunTool("render --dir start --palette colours.pal -o out.png Год3.tvk");
  ASSERT_EQ(run.status, 0) << run.err;
  QImage png(QString::fromStdString((dir / "out.png").string()), "PNG");
  ASSERT_EQ(png.width(), expected.Width());
  for (int y = 0; y < png.height(); y += 7)
    for (int x = 0; x < png.width(); x += 3) {
      const QRgb p = png.pixel(x, y);
      ASSERT_EQ(world::Rgb(qRed(p), qGreen(p), qBlue(p)), expected.PixelAt(x, y)) << x << "," << y;
    }
}

TEST_F(RenderTool, EpochGivesOnePictureForEachTurn) {
  ToolRun run = RunTool("render --dir start --palette colours.pal -o years Год3.tvk Год4.tvk");
  ASSERT_EQ(run.status, 0) << run.err;
  render::Surface third, fourth;
  third.LoadBmp(dir / "years" / "Год3.bmp");
  fourth.LoadBmp(dir / "years" / "Год4.bmp");
  EXPECT_TRUE(third == ComposeDirectly("Год3.tvk"));
  // Each year starts from the clean map: none of year 3's markers stay in year 4.
  EXPECT_TRUE(fourth == ComposeDirectly("Год4.tvk"));
}

TEST_F(RenderTool, ErrorsAreTheEditorsTexts) {
  ToolRun run = RunTool("render --dir start -o out.bmp missing.tvk");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "File not found\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.bmp"));

  run = RunTool("render --dir nowhere Год3.tvk");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Invalid filename\n");

  std::filesystem::remove(dir / "start/rudnici.bmp");
  run = RunTool("render --dir start Год3.tvk");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Cannot open file start/rudnici.bmp\n");

  EXPECT_EQ(RunTool("render").status, 2);
  EXPECT_EQ(RunTool("render --bogus Год3.tvk").status, 2);
}

}  // namespace
