// The overview's picture, frame and navigation, and the view growing with the window, through
// the overview's functions and the Editor, without a display.

#include "overview/Overview.h"

#include "EditorFixture.h"
#include "render/Geometry.h"
#include "render/Markers.h"

namespace editor::testing {
namespace {

using overview::Placement;

// The average of the picture's pixels in [x1, x2) by [y1, y2), rounded, as the overview must give it.
render::Color AverageOf(const render::Surface& picture, int x1, int y1, int x2, int y2) {
  uint32_t sums[3] = {};
  for (int y = y1; y < y2; ++y)
    for (int x = x1; x < x2; ++x)
      for (int c = 0; c < 3; ++c) sums[c] += picture.PixelAt(x, y) >> (8 * c) & 0xFF;
  const uint32_t n = uint32_t((x2 - x1) * (y2 - y1));
  render::Color average = 0;
  for (int c = 0; c < 3; ++c) average |= (sums[c] + n / 2) / n << (8 * c);
  return average;
}

TEST(OverviewPicture, FitsTheMapKeepingItsProportionsInTheMiddle) {
  EXPECT_EQ(overview::Fit(2260, 1560, 480, 331), (Placement{0, 0, 480, 331}));
  EXPECT_EQ(overview::Fit(2260, 1560, 600, 331), (Placement{60, 0, 480, 331})) << "too wide: bands left and right";
  EXPECT_EQ(overview::Fit(2260, 1560, 480, 500), (Placement{0, 84, 480, 331})) << "too tall: bands above and below";
  EXPECT_EQ(overview::Fit(2260, 1560, 1, 1), (Placement{0, 0, 1, 1}));
  EXPECT_EQ(overview::Fit(0, 0, 480, 331), Placement{}) << "no picture";
  EXPECT_EQ(overview::Fit(2260, 1560, 0, 331), Placement{}) << "no room";
}

TEST(OverviewPicture, EachPixelIsTheAverageOfTheMapPixelsItCovers) {
  const render::Surface map = PatternMap(2260, 1560);
  // Whole blocks of five by five.
  const render::Surface fifth = overview::Scaled(map, 452, 312);
  ASSERT_EQ(std::pair(fifth.Width(), fifth.Height()), std::pair(452, 312));
  for (auto [x, y] : {std::pair(0, 0), std::pair(17, 203), std::pair(451, 311), std::pair(300, 5)})
    EXPECT_EQ(fifth.PixelAt(x, y), AverageOf(map, 5 * x, 5 * y, 5 * x + 5, 5 * y + 5)) << x << ", " << y;
  // At any other size too, fine detail averages out: a checkerboard of single black and white
  // pixels turns an even grey, where picking pixels would show black and white.
  render::Surface checkers;
  checkers.SetSize(2261, 1563);
  for (int y = 0; y < checkers.Height(); ++y)
    for (int x = 0; x < checkers.Width(); ++x) checkers.SetPixel(x, y, (x + y) % 2 ? render::White : render::Black);
  for (auto [width, height] : {std::pair(452, 312), std::pair(480, 331), std::pair(1500, 1000)}) {
    const render::Surface grey = overview::Scaled(checkers, width, height);
    for (int y = 1; y < height - 1; y += 7)
      for (int x = 1; x < width - 1; x += 5) {
        const int red = int(grey.PixelAt(x, y) & 0xFF);
        ASSERT_NEAR(red, 128, 24) << width << " x " << height << " at " << x << ", " << y;
      }
  }
  // Any other size: one colour stays that colour, and the unused byte stays 0.
  for (auto [width, height] : {std::pair(480, 331), std::pair(97, 60), std::pair(3000, 2000)}) {
    render::Surface plain;
    plain.SetSize(2260, 1560);
    plain.Fill(world::Rgb(12, 130, 250));
    const render::Surface scaled = overview::Scaled(plain, width, height);
    ASSERT_EQ(std::pair(scaled.Width(), scaled.Height()), std::pair(width, height));
    for (auto [x, y] : {std::pair(0, 0), std::pair(width / 2, height / 3), std::pair(width - 1, height - 1)})
      EXPECT_EQ(scaled.PixelAt(x, y), world::Rgb(12, 130, 250)) << width << " x " << height;
  }
  EXPECT_EQ(overview::Scaled(render::Surface(), 480, 331).Width(), 0);
}

class OverviewTest : public EditorMouseTest {
 protected:
  void SetUp() override {
    EditorMouseTest::SetUp();
    PatternMap(2260, 1560).SaveBmp("map.bmp");
    Start();
  }
  Placement placed = overview::Fit(2260, 1560, 452, 312);  // a fifth of the map
  std::tuple<int, int, int, int> Frame() const {
    const render::Area frame = overview::ViewFrame(editor.scene, placed);
    return {frame.x1, frame.y1, frame.x2, frame.y2};
  }
  std::pair<int, int> Origin() const { return {editor.scene.OriginX, editor.scene.OriginY}; }
};

TEST_F(OverviewTest, FrameFollowsTheViewThroughScrollingAndResizing) {
  // 1128 by 776 map pixels show in the 1130 by 806 client area.
  EXPECT_EQ(Frame(), std::tuple(0, 0, 226, 156));
  editor.ScrollByCells(10, 5);
  EXPECT_EQ(Frame(), std::tuple(40, 20, 266, 176));
  // A window 400 by 200 pixels larger outside shows as much more of the map.
  editor.ResizeWindow(1530, 1006, 1546, 1057);
  EXPECT_EQ(Frame(), std::tuple(40, 20, 346, 216));
  // The frame stops at the picture's edges.
  editor.ScrollByCells(1000, 1000);
  EXPECT_EQ(std::tuple(std::get<2>(Frame()), std::get<3>(Frame())), std::tuple(452, 312));
}

TEST_F(OverviewTest, AClickCentresTheViewThereInWholeCellsWithinThePicture) {
  const auto centre = overview::MapPixelAt(editor.scene, placed, 226, 156);
  EXPECT_EQ(std::pair(centre.px, centre.py), std::pair(1132, 782));
  editor.CentreViewOn(centre.px, centre.py);
  // The view's middle, 564 and 388 pixels in, comes to within half a cell of the point.
  EXPECT_EQ(Origin(), std::pair(2 - 28 * 20, 30 - 20 * 20));
  // Near the corners the view stops where the wheel stops.
  const auto corner = overview::MapPixelAt(editor.scene, placed, -5, 400);
  editor.CentreViewOn(corner.px, corner.py);
  editor.ScrollByCells(-1, 1);
  EXPECT_EQ(Origin(), std::pair(2, 30 - 20 * 40)) << "no further left, no further down";
  const auto top = overview::MapPixelAt(editor.scene, placed, 451, 0);
  editor.CentreViewOn(top.px, top.py);
  EXPECT_EQ(Origin(), std::pair(2 - 20 * 57, 30));
}

TEST_F(OverviewTest, KeptPictureIsMadeAnewOnlyWhenTheMapOrTheSizeChanges) {
  overview::Overview shown;
  EXPECT_TRUE(shown.Refresh(editor.scene, 452, 312));
  EXPECT_FALSE(shown.Refresh(editor.scene, 452, 312));
  EXPECT_TRUE(shown.Picture() == overview::Scaled(editor.scene.ComposedMap, 452, 312));
  Give(1, {{30, 30, 8}});
  Press(30, 30);
  Release(31, 30);
  EXPECT_TRUE(shown.Refresh(editor.scene, 452, 312)) << "a unit moved";
  EXPECT_TRUE(shown.Picture() == overview::Scaled(editor.scene.ComposedMap, 452, 312));
  editor.ScrollByCells(3, 3);
  EXPECT_FALSE(shown.Refresh(editor.scene, 452, 312)) << "scrolling moves only the frame";
  EXPECT_TRUE(shown.Refresh(editor.scene, 600, 312));
  EXPECT_EQ(shown.Placed(), (Placement{74, 0, 452, 312}));
}

TEST_F(OverviewTest, AfterATurnOnlyThePixelsOverDrawnCellsAreWorkedOutAndTheyComeOutTheSame) {
  // Units everywhere: on the map's first and last cells, on neighbouring cells, in the margin
  // (column 0, row 0) and beyond the picture.
  std::string units;
  for (int x = 0; x <= 112; x += 9)
    for (int y = 0; y <= 79; y += 11) units += std::to_string(x) + " " + std::to_string(y) + ",";
  WriteBytes("Год1.tvk", "legend\r\n1\r\nPlayer\r\nA\r\n0 0\r\n\xE3 " + units + "1 1,2 1,110 76,\r\n"
                         "Player\r\nB\r\n0 0\r\n\xCA 55 38,56 38,\r\nEND\r\n");
  WriteBytes("Год2.tvk", "legend\r\n2\r\nPlayer\r\nA\r\n0 0\r\n\xE4 5 5,70 40,\r\nEND\r\n");
  overview::Overview shown;
  for (auto [width, height] : {std::pair(452, 312), std::pair(480, 331), std::pair(301, 208)}) {
    for (int year : {1, 2, 1}) {
      ui.TypeYear(year);
      ASSERT_EQ(ui.errors, std::vector<std::string>{});
      shown.Refresh(editor.scene, width, height);
      EXPECT_TRUE(shown.MadeFromDrawnCells()) << "year " << year;
      const Placement placed = shown.Placed();
      EXPECT_TRUE(shown.Picture() == overview::Scaled(editor.scene.ComposedMap, placed.width, placed.height))
          << width << " x " << height << ", year " << year;
    }
    Press(70, 40);
    Release(71, 41);
    shown.Refresh(editor.scene, width, height);
    EXPECT_TRUE(shown.Picture() == overview::Scaled(editor.scene.ComposedMap, shown.Placed().width, shown.Placed().height))
        << "after a move";
  }
}

TEST_F(OverviewTest, ViewGrowsBeyondTheDesignSizeAndEverythingWorksInIt) {
  // At the design size and smaller the view ends where the design ends it.
  for (auto [outerWidth, outerHeight] : {std::pair(1146, 857), std::pair(700, 500)}) {
    editor.ResizeWindow(outerWidth - 16, outerHeight - 51, outerWidth, outerHeight);
    EXPECT_EQ(std::pair(editor.scene.ViewRight, editor.scene.ViewBottom), std::pair(1152, 816));
  }
  // Maximised on a 2560 by 1440 screen: the whole width of the map and all but 10 rows show.
  editor.ScrollByCells(40, 30);
  editor.ResizeWindow(2544, 1389, 2560, 1440);
  EXPECT_EQ(std::pair(editor.scene.ViewRight, editor.scene.ViewBottom), std::pair(1152 + 1414, 816 + 583));
  EXPECT_EQ(Origin(), std::pair(2, 30 - 20 * 11)) << "scrolled back as far as the larger view allows";
  const render::Surface& window = editor.scene.Window;
  EXPECT_EQ(window.PixelAt(2000, 1300), editor.scene.ComposedMap.PixelAt(1998, 1270 + 220));
  EXPECT_EQ(window.PixelAt(2300, 1300), editor.scene.WindowColor) << "right of the picture";
  editor.ScrollByCells(0, 100);
  EXPECT_EQ(Origin(), std::pair(2, 30 - 20 * 11));

  // A unit far beyond the design's edges is lifted, dropped and described where it stands.
  Give(2, {{100, 60, 5}});
  Press(100, 60);
  EXPECT_EQ(editor.World.players[2].units[1], (world::TUnit{0, 0, 5}));
  Release(104, 66);
  EXPECT_EQ(editor.World.players[2].units[1], (world::TUnit{104, 66, 5}));
  EXPECT_EQ(window.PixelAt(CellX(104) - 2, CellY(66)), editor.scene.Palette[2]) << "drawn on the window";
  editor.FormMouseMove(CellX(104), CellY(66));
  EXPECT_EQ(ui.panels[0], "(104-66)");
}

}  // namespace
}  // namespace editor::testing
