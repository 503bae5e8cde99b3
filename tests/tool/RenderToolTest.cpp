#include <QImage>
#include <QString>

#include "ToolRunner.h"
#include "render/Markers.h"
#include "world/Palette.h"

using test_support::Cp;
using test_support::Lines;

namespace {

// A sheet of `background` with a black dot every `step` pixels along its middle row.
render::Surface Sheet(int width, int height, render::Color background, int step) {
  render::Surface s;
  s.SetSize(width, height);
  s.Fill(background);
  for (int x = 0; x < width; x += step) s.SetPixel(x, height / 2, render::Black);
  return s;
}

render::Surface Load(const std::filesystem::path& file) {
  render::Surface s;
  s.LoadBmp(file);
  return s;
}

class RenderTool : public Tool {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(dir / "start");
    dir.Write("start/orv.dat", Lines({"", "", "0", "", "1 ", "2 ", "3 ", "4 ", ""}));
    Sheet(300, 200, world::Rgb(210, 230, 190), 20).SaveBmp(dir / "start/map.bmp");
    Sheet(300, 20, render::White, 3).SaveBmp(dir / "start/osnova.bmp");
    Sheet(80, 20, render::White, 2).SaveBmp(dir / "start/rudnici.bmp");
    dir.Write("colours.pal", "0 0 0\r\n200 30 30\r\n");
    dir.Write("Год3.tvk", Lines({"legend", "3", "Player", "A", "0 0", Cp("д 2 2,3 2,"), Cp("К 2 2,"),
                                "Player", "B", "0 0", Cp("г 5 5,"), "M 6 6,", "END"}));
    dir.Write("Год4.tvk", Lines({"legend", "4", "Player", "A", "0 0", Cp("З 9 7,"), "END"}));
  }

  // What the editor composes for a turn loaded right after start-up, step by step.
  render::Surface ComposeDirectly(const std::string& turn) {
    render::Scene scene;
    scene.CellSize = 20;
    scene.CleanMap = scene.ComposedMap = Load(dir / "start/map.bmp");
    scene.IconSheet = Load(dir / "start/osnova.bmp");
    scene.MineSheet = Load(dir / "start/rudnici.bmp");
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

TEST_F(RenderTool, EachTurnGivesThePictureTheEditorComposesAndErrorsAreTheEditorsTexts) {
  EXPECT_EQ(RunTool("render --dir start --palette colours.pal -o years Год3.tvk missing.tvk Год4.tvk"),
            (ToolRun{1, "years/Год3.bmp\nyears/Год4.bmp\n", "missing.tvk: File not found\n"}));
  EXPECT_FALSE(std::filesystem::exists(dir / "years" / "missing.bmp"));
  const render::Surface third = Load(dir / "years" / "Год3.bmp");
  EXPECT_TRUE(third == ComposeDirectly("Год3.tvk"));
  EXPECT_FALSE(third == Load(dir / "start/map.bmp")) << "the markers are missing";
  // Each year starts from the clean map: none of year 3's markers stay in year 4.
  EXPECT_TRUE(Load(dir / "years" / "Год4.bmp") == ComposeDirectly("Год4.tvk"));

  // The same pixels as the BMP, which Qt reads as well.
  ASSERT_EQ(RunTool("render --dir start --palette colours.pal -o out.png Год3.tvk").status, 0);
  const auto picture = [&](const char* name) {
    const QImage image(QString::fromStdString((dir / name).string()));
    return image.convertToFormat(QImage::Format_RGB32);
  };
  ASSERT_FALSE(picture("out.png").isNull());
  EXPECT_TRUE(picture("out.png") == picture("years/Год3.bmp"));

  std::filesystem::remove(dir / "start/rudnici.bmp");
  EXPECT_EQ(RunTool("render --dir start Год3.tvk"), (ToolRun{1, "", "Cannot open file start/rudnici.bmp\n"}));
}

}  // namespace
