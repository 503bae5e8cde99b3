// The Editor on a fake desktop: start-up, the commands and the mouse.

#include <algorithm>

#include "EditorFixture.h"

namespace editor::testing {
namespace {

TEST_F(EditorTest, StartUpFillsWorldPicturesAndControls) {
  // The icon sheet's pixel (1, 1) is the markers' transparent colour; its width places the colour strip.
  render::Surface sheet = IconStrip(17);
  sheet.SetPixel(1, 1, world::Rgb(1, 2, 3));
  sheet.SaveBmp("osnova.bmp");
  Start();
  EXPECT_EQ(ui.playersField, "27");
  EXPECT_EQ(editor.edit.CurrentPlayer, 1);
  const render::Scene& s = editor.scene;
  EXPECT_TRUE(s.MarkerBitmap.Transparent);
  EXPECT_EQ(s.MarkerBitmap.TransparentColor, world::Rgb(1, 2, 3));
  EXPECT_EQ(s.ColorStripLeft, 281 + 17 * 20 + 80);
  EXPECT_EQ(s.Palette[2], world::Rgb(128, 0, 255)) << "the default palette";
}

TEST_F(EditorTest, StartUpThatStopsEarlyShowsNoStripsOnlyTheWindowColour) {
  // Without the land file, or with a map that is no picture, start-up stops before it places the
  // strips: the window keeps its colour everywhere, also after the player count changes.
  for (const char* broken : {"orv.dat", "map.bmp"}) {
    SCOPED_TRACE(broken);
    if (broken == std::string("orv.dat"))
      fs::remove(broken);
    else
      WriteBytes(broken, "no picture");
    Start();
    ASSERT_EQ(ui.errors.size(), 1u);
    ui.errors.clear();
    ui.upDownPosition = 5;
    editor.UpDown1Click();
    const render::Surface& window = editor.scene.Window;
    ASSERT_EQ(window.Width(), 1130);
    for (int y = 0; y < window.Height(); ++y)
      for (int x = 0; x < window.Width(); ++x)
        ASSERT_EQ(window.PixelAt(x, y), editor.scene.WindowColor) << x << ", " << y;
    SetUp();
  }
}

TEST_F(EditorTest, EachFileCommandAsksItsOwnQuestionAndACancelChangesNothing) {
  Start();
  ui.yearField = 7;
  const std::pair<void (Editor::*)(), FileDialogRequest> commands[] = {
      {&Editor::N7Click, {"Открыть файл с картой земель", "Карта|*.bmp", std::nullopt}},
      {&Editor::N8Click, {"Открыть файл с записью хода", "Файл хода|*.tvk", std::nullopt}},
      {&Editor::N2Click, {"Открыть эпоху...", "Файл пришествия |*.tvk", "Год0.tvk"}},
      {&Editor::N1Click, {"Загрузить файл с палитрой...", "Файл палитры|*.pal", "palitr.pal"}},
      {&Editor::N9Click, {"Сохранить ход в файл картинки", "Карта|*.bmp|Картинка PNG|*.png", "Год7.bmp"}},
      {&Editor::N10Click, {"Сохранить ход в файл данных", "Файл хода|*.tvk", "Год7.tvk"}},
  };
  for (const auto& [command, expected] : commands) {
    ui.dialogRequests.clear();
    (editor.*command)();
    ASSERT_EQ(ui.dialogRequests.size(), 1u) << expected.title;
    const FileDialogRequest& asked = ui.dialogRequests[0];
    EXPECT_EQ(std::tie(asked.title, asked.filter, asked.proposedName),
              std::tie(expected.title, expected.filter, expected.proposedName));
  }
  EXPECT_EQ(editor.EpochDir, "");
  EXPECT_FALSE(fs::exists("Год7.tvk") || fs::exists("Год7.bmp"));
}

TEST_F(EditorTest, LoadedTurnAndMapPictureAreShownButTheYearFieldStays) {
  Start();
  WriteBytes("turn.tvk", "legend\r\n5\r\nPlayer\r\nA\r\n0 0\r\nPlayer\r\nB\r\n0 0\r\n\xF0 6 3,\r\nEND\r\n");
  ui.dialogAnswers = {dir() / "turn.tvk"};
  ui.Run([&] { editor.N8Click(); });
  EXPECT_EQ(ui.playersField, "2");
  EXPECT_EQ(ui.yearField, 0);
  // Player 2's colour is dark, so the black dot of its knight's icon shows yellow in the window.
  EXPECT_EQ(editor.scene.Window.PixelAt(CellX(6), CellY(3)), world::Rgb(255, 255, 0));

  // A map picture replaces only the composed map, and the view goes back to its origin.
  editor.scene.OriginX = -18;
  PatternMap(50, 40).SaveBmp("other.bmp");
  ui.dialogAnswers = {dir() / "other.bmp"};
  ui.Run([&] { editor.N7Click(); });
  EXPECT_EQ(editor.scene.CleanMap.Width(), 400);
  EXPECT_EQ(editor.scene.OriginX, 2);
  EXPECT_EQ(editor.scene.Window.PixelAt(2 + 60, 40), editor.scene.WindowColor);
}

TEST_F(EditorTest, YearFieldLoadsItsYearsFileFromTheEpochFolderOnceOneIsChosen) {
  Start();
  fs::create_directories("epoch");
  WriteBytes("Год3.tvk", TurnFile(3, 2));
  WriteBytes("epoch/Год3.tvk", TurnFile(3, 5));
  WriteBytes("epoch/Год0.tvk", TurnFile(0, 6));
  ui.TypeYear(3);
  EXPECT_EQ(ui.playersField, "2");
  ui.dialogAnswers = {dir() / "epoch/Год0.tvk", dir() / "missing/Год0.tvk"};
  editor.N2Click();
  editor.N2Click();
  EXPECT_EQ(editor.EpochDir, (dir() / "epoch").string() + "/") << "a missing file names no epoch";
  ui.TypeYear(3);
  EXPECT_EQ(editor.PlayerCount, 5);
  // A year without a file keeps the players, while Year already holds the new year.
  ui.TypeYear(4);
  EXPECT_EQ(std::pair(editor.World.Year, int(editor.PlayerCount)), std::pair(4, 5));
  EXPECT_EQ(ui.errors, std::vector<std::string>{});
}

TEST_F(EditorMouseTest, PressTakesTheSmallestKindThenTheLowestPlayerInUse) {
  Start();
  editor.PlayerCount = 4;
  Give(1, {{5, 5, 11}});  // a fortress
  Give(3, {{5, 5, 5}});   // a knight
  Give(6, {{5, 5, 1}});   // beyond the 4 players in use
  Give(2, {{7, 7, 8}});   // dragons of players 2 and 4 on one cell
  Give(4, {{7, 7, 8}});
  Press(5, 5);
  EXPECT_EQ(editor.edit.CurrentPlayer, 3);
  EXPECT_EQ(Player(3).units[1], (world::TUnit{0, 0, 5})) << "lifted from its cell";
  EXPECT_EQ(editor.scene.Window.PixelAt(38, 10), editor.scene.Palette[3]) << "the preview shows the knight";
  Release(5, 5);
  Press(7, 7);
  EXPECT_EQ(editor.edit.CurrentPlayer, 2);
  Release(7, 7);

  // The player count control repaints the colour strip; player 6 is then in use.
  ui.upDownPosition = 8;
  editor.UpDown1Click();
  EXPECT_EQ(ui.playersField, "8");
  EXPECT_EQ(editor.scene.Window.PixelAt(661 + 7 * 20 + 10, 10), editor.scene.Palette[8]);
  Press(5, 5);
  EXPECT_EQ(editor.edit.CurrentPlayer, 6);
}

TEST_F(EditorMouseTest, ReleaseInTheMapMovesOrWithAnotherButtonDeletesAndElsewhereKeepsTheUnitInHand) {
  Start();
  Give(1, {{3, 3, 1}, {4, 4, 2}, {5, 5, 3}});
  Press(3, 3);
  editor.Image1MouseUp(MouseButton::Left, 300, 25);  // above the map
  EXPECT_TRUE(editor.edit.Holding);
  Release(9, 6);
  EXPECT_FALSE(editor.edit.Holding);
  EXPECT_EQ(Player(1).units[1], (world::TUnit{9, 6, 1}));
  EXPECT_FALSE(Marked(3, 3));
  EXPECT_TRUE(Marked(9, 6));
  Release(8, 8);  // while idle: nothing
  EXPECT_EQ(Player(1).units[1], (world::TUnit{9, 6, 1}));
  // The last unit takes the deleted one's index.
  Press(9, 6);
  Release(9, 6, MouseButton::Middle);
  ASSERT_EQ(Player(1).count, 2);
  EXPECT_EQ(Player(1).units[1], (world::TUnit{5, 5, 3}));
}

TEST_F(EditorMouseTest, StripsChooseKindAndPlayerThenAPressPlacesWhereTheTableHasRoom) {
  Start();
  ChooseKind(12);  // a city
  ChoosePlayer(3, 25);  // in the band below the strip
  Press(10, 10);
  EXPECT_FALSE(editor.edit.Holding);
  EXPECT_EQ(Player(3).units[1], (world::TUnit{10, 10, 12}));
  EXPECT_EQ(editor.scene.ComposedMap.PixelAt(20 * 10 + 28, 20 * 9 + 26), editor.scene.Palette[3]);
  EXPECT_EQ(editor.edit.SelectedKind, 12) << "the kind stays chosen";

  // A full unit table takes no more units.
  for (int i = 0; i < world::MaxUnits; ++i) Give(1, {{1, 1, 1}});
  ChoosePlayer(1);
  Press(9, 9);
  EXPECT_EQ(Player(1).count, world::MaxUnits);
}

TEST_F(EditorMouseTest, EditsOnAScrolledMapStayInsideTheViewAndScrollingStopsAtThePicturesEdges) {
  PatternMap(2260, 1560).SaveBmp("map.bmp");
  Start();
  editor.ScrollByCells(0, 5);
  // Row 5 straddles the view's top edge: neither the lifted cell nor the marker reach above it.
  Give(1, {{3, 5, 1}});
  Press(3, 5);
  Release(3, 5);
  EXPECT_EQ(editor.scene.Window.PixelAt(CellX(3) - 2, 29), editor.scene.WindowColor);
  EXPECT_EQ(editor.scene.Window.PixelAt(CellX(3) - 2, 40), editor.scene.Palette[1]);

  // The window shows 1128 by 776 pixels of the view: 57 columns and 40 rows more are hidden.
  editor.ScrollByCells(1000, 1000);
  EXPECT_EQ(std::pair(editor.scene.OriginX, editor.scene.OriginY), std::pair(2 - 20 * 57, 30 - 20 * 40));
  editor.ScrollByCells(-1000, -1000);
  EXPECT_EQ(std::pair(editor.scene.OriginX, editor.scene.OriginY), std::pair(2, 30));
}

}  // namespace
}  // namespace editor::testing
