#include "EditorFixture.h"
#include "world/Palette.h"

namespace app::testing {
namespace {

TEST_F(EditorTest, NormalStartUpFillsWorldPicturesAndControls) {
  Start();
  EXPECT_TRUE(ui.errors.empty());
  EXPECT_EQ(editor.PlayerCount, 27);
  EXPECT_EQ(editor.LandCount, 255);
  EXPECT_EQ(ui.playersField, "27");
  EXPECT_EQ(ui.upDownMaximum, 27);
  EXPECT_EQ(ui.upDownPosition, 27);
  EXPECT_EQ(ui.yearField, 0);
  EXPECT_EQ(ui.panels[0], "(x,y)");
  EXPECT_EQ(editor.World.cells[10][1].land, 'A');
  EXPECT_EQ(editor.World.cells[2][1].mine, 2);

  const render::Scene& s = editor.scene;
  EXPECT_EQ(s.ComposedMap.Width(), 400);
  EXPECT_TRUE(s.ComposedMap == s.CleanMap);
  EXPECT_EQ(s.OriginX, 2);
  EXPECT_EQ(s.OriginY, 30);
  EXPECT_EQ(s.KindStripLeft, 281);
  EXPECT_EQ(s.ColorStripLeft, 661);
  EXPECT_TRUE(s.MarkerBitmap.Transparent);
  EXPECT_EQ(s.MarkerBitmap.TransparentColor, render::White);
  world::TPalette defaults;
  world::DefaultPalette(defaults);
  EXPECT_EQ(s.Palette, defaults);
  EXPECT_EQ(editor.edit.CurrentPlayer, 1);
  EXPECT_EQ(editor.edit.SelectedKind, 0);
  EXPECT_FALSE(editor.edit.Holding);
}

TEST_F(EditorTest, IconSheetGivesTheTransparentColourAndPlacesTheColourStrip) {
  render::Surface sheet = IconStrip(17);
  sheet.SetPixel(0, 0, render::Black);
  sheet.SetPixel(1, 1, world::Rgb(1, 2, 3));
  sheet.SaveBmp("osnova.bmp");
  Start();
  EXPECT_EQ(editor.scene.MarkerBitmap.TransparentColor, world::Rgb(1, 2, 3));
  EXPECT_EQ(editor.scene.KindStripLeft, 281);
  EXPECT_EQ(editor.scene.ColorStripLeft, 281 + 340 + 80);
}

TEST_F(EditorTest, MissingLandFileStopsStartUpButLeavesEarlierSteps) {
  fs::remove("orv.dat");
  Start();
  ASSERT_EQ(ui.errors, std::vector<std::string>{"File not found"});
  EXPECT_EQ(editor.PlayerCount, 27);
  EXPECT_EQ(editor.LandCount, 0);
  EXPECT_EQ(editor.scene.ComposedMap.Width(), 0);
  EXPECT_EQ(editor.scene.IconSheet.Width(), 0);
  EXPECT_EQ(editor.scene.KindStripLeft, 0);
  EXPECT_EQ(editor.scene.Palette[1], 0u);
  EXPECT_EQ(ui.playersField, "");
  // The status bar never names a land without the land file.
  editor.FormMouseMove(CellX(1), CellY(1));
  EXPECT_EQ(ui.panels[1], "");
  EXPECT_EQ(ui.panels[2], "0");
}

TEST_F(EditorTest, BadIncomeKeepsLandsReadSoFarAndSkipsThePictures) {
  WriteBytes("orv.dat", "a\r\nb\r\n0\r\nc\r\n1 \r\n2 \r\n3 \r\n4 \r\nx\r\nA\r\nFirst\r\n7\r\nB\r\nSecond\r\n12abc\r\n");
  Start();
  ASSERT_EQ(ui.errors, std::vector<std::string>{"Invalid numeric input"});
  EXPECT_EQ(editor.World.lands['A'].name, "First");
  EXPECT_EQ(editor.World.lands['A'].income, 7);
  EXPECT_EQ(editor.LandCount, 0);
  EXPECT_EQ(editor.scene.CleanMap.Width(), 0);
}

TEST_F(EditorTest, PictureFailuresNameTheFileOrTheFormat) {
  fs::remove("map.bmp");
  Start();
  EXPECT_EQ(ui.errors, std::vector<std::string>{"Cannot open file map.bmp"});
  EXPECT_EQ(editor.scene.ComposedMap.Width(), 0);

  ui.errors.clear();
  PatternMap(40, 30).SaveBmp("map.bmp");
  WriteBytes("osnova.bmp", "this is no picture");
  Start();
  EXPECT_EQ(ui.errors, std::vector<std::string>{"Bitmap image is not valid"});
  EXPECT_EQ(editor.scene.MineSheet.Width(), 0);
  EXPECT_EQ(editor.scene.CleanMap.Width(), 40);
}

}  // namespace
}  // namespace app::testing
