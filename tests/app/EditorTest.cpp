// Start-up and the commands of the main window. Saving and drawing a turn are also checked
// through the tool's renderer (tests/tool) and after every robustness test (tests/robustness).

#include "EditorFixture.h"
#include "world/Palette.h"

namespace app::testing {
namespace {

TEST_F(EditorTest, StartUpFillsWorldPicturesAndControls) {
  Start();
  EXPECT_EQ(ui.errors, Errors{});
  EXPECT_EQ(editor.PlayerCount, 27);
  EXPECT_EQ(ui.playersField, "27");
  EXPECT_EQ(std::pair(ui.upDownMaximum, ui.upDownPosition), std::pair(27, 27));
  EXPECT_EQ(editor.edit.CurrentPlayer, 1);
  const render::Scene& s = editor.scene;
  EXPECT_EQ(s.ComposedMap.Width(), 400);
  EXPECT_TRUE(s.ComposedMap == s.CleanMap);
  EXPECT_EQ(std::pair(s.OriginX, s.OriginY), std::pair(2, 30));
  EXPECT_TRUE(s.MarkerBitmap.Transparent);
  world::TPalette defaults;
  world::DefaultPalette(defaults);
  EXPECT_EQ(s.Palette, defaults);

  // The icon sheet's pixel (1, 1) is the markers' transparent colour; its width places the colour strip.
  render::Surface sheet = IconStrip(17);
  sheet.SetPixel(1, 1, world::Rgb(1, 2, 3));
  sheet.SaveBmp("osnova.bmp");
  Start();
  EXPECT_EQ(s.MarkerBitmap.TransparentColor, world::Rgb(1, 2, 3));
  EXPECT_EQ(s.ColorStripLeft, 281 + 17 * 20 + 80);
}

TEST_F(EditorTest, StartUpStopsAtAFailingFileAndKeepsTheStepsBeforeIt) {
  fs::remove("orv.dat");
  Start();
  EXPECT_EQ(ui.errors, Errors{"File not found"});
  EXPECT_EQ(editor.PlayerCount, 27);
  EXPECT_EQ(editor.scene.ComposedMap.Width(), 0);
  EXPECT_EQ(ui.playersField, "");
}

TEST_F(EditorTest, EachFileCommandAsksItsOwnQuestionAndACancelChangesNothing) {
  Start();
  ui.yearField = 7;
  const render::Surface map = editor.scene.ComposedMap;
  const struct {
    void (Editor::*command)();
    const char* title;
    const char* filter;
    std::optional<std::string> proposedName;
  } commands[] = {
      {&Editor::N7Click, "Открыть файл с картой земель", "Карта|*.bmp", std::nullopt},
      {&Editor::N8Click, "Открыть файл с записью хода", "Файл хода|*.tvk", std::nullopt},
      {&Editor::N2Click, "Открыть эпоху...", "Файл пришествия |*.tvk", "Год0.tvk"},
      {&Editor::N1Click, "Загрузить файл с палитрой...", "Файл палитры|*.pal", "palitr.pal"},
      {&Editor::N9Click, "Сохранить ход в файл картинки", "Карта|*.bmp", "Год7.bmp"},
      {&Editor::N10Click, "Сохранить ход в файл данных", "Файл хода|*.tvk", "Год7.tvk"},
  };
  for (const auto& c : commands) {
    ui.dialogRequests.clear();
    ui.Run([&] { (editor.*c.command)(); });
    ASSERT_EQ(ui.dialogRequests.size(), 1u) << c.title;
    EXPECT_EQ(ui.dialogRequests[0].title, c.title);
    EXPECT_EQ(ui.dialogRequests[0].filter, c.filter) << c.title;
    EXPECT_EQ(ui.dialogRequests[0].proposedName, c.proposedName) << c.title;
  }
  EXPECT_EQ(ui.errors, Errors{});
  EXPECT_TRUE(editor.scene.ComposedMap == map);
  EXPECT_EQ(editor.PlayerCount, 27);
  EXPECT_EQ(editor.EpochDir, "");
  EXPECT_FALSE(fs::exists("Год7.tvk") || fs::exists("Год7.bmp"));
}

TEST_F(EditorTest, LoadedTurnAndMapPictureAreShownButTheYearFieldStays) {
  Start();
  // Player 1 "Alpha": a fortress and two knights; player 2 "Beta": a knight at (6, 3). Year 5.
  WriteBytes("turn.tvk", "legend\r\n5\r\nPlayer\r\nAlpha\r\n1 2\r\n\xCA 3 2,\r\n\xF0 3 2,4 2,\r\n"
                         "Player\r\nBeta\r\n0 0\r\n\xF0 6 3,\r\nEND\r\n");
  ui.dialogAnswers = {dir() / "turn.tvk"};
  ui.Run([&] { editor.N8Click(); });
  EXPECT_EQ(editor.World.Year, 5);
  EXPECT_EQ(editor.PlayerCount, 2);
  EXPECT_EQ(ui.playersField, "2");
  EXPECT_EQ(ui.yearField, 0);
  // Beta's colour is dark, so the knight icon's black dot shows yellow in the window.
  EXPECT_EQ(editor.scene.Window.PixelAt(2 + 6 * 20 + 30, 30 + 2 * 20 + 28), world::Rgb(255, 255, 0));

  // A map picture replaces only the composed map, and the view goes back to its origin.
  editor.scene.OriginX = -18;
  PatternMap(50, 40).SaveBmp("other.bmp");
  ui.dialogAnswers = {dir() / "other.bmp"};
  ui.Run([&] { editor.N7Click(); });
  EXPECT_EQ(editor.scene.ComposedMap.Width(), 50);
  EXPECT_EQ(editor.scene.CleanMap.Width(), 400);
  EXPECT_EQ(editor.scene.OriginX, 2);
  EXPECT_EQ(editor.scene.Window.PixelAt(2 + 60, 40), editor.scene.WindowColor);
  EXPECT_EQ(ui.errors, Errors{});
}

TEST_F(EditorTest, EveryChangeOfTheYearFieldLoadsThatYearWhereItHasAFile) {
  Start();
  WriteBytes("Год1.tvk", TurnFile(1, 3));
  WriteBytes("Год12.tvk", TurnFile(12, 4));
  editor.FormKeyUp();  // a key released on the window steps the year
  EXPECT_EQ(ui.yearField, 1);
  EXPECT_EQ(editor.PlayerCount, 3);
  ui.TypeYear(12);
  EXPECT_EQ(editor.World.Year, 12);
  EXPECT_EQ(ui.playersField, "4");
  // A year without a file keeps the players, while Year already holds the new year.
  ui.TypeYear(13);
  EXPECT_EQ(editor.World.Year, 13);
  EXPECT_EQ(editor.PlayerCount, 4);
  EXPECT_EQ(ui.errors, Errors{});
}

TEST_F(EditorTest, YearFilesComeFromTheEpochFolderOnceOneIsChosen) {
  Start();
  fs::create_directories("epoch");
  WriteBytes("Год3.tvk", TurnFile(3, 2));
  WriteBytes("epoch/Год3.tvk", TurnFile(3, 5));
  WriteBytes("epoch/Год0.tvk", TurnFile(0, 6));
  ui.TypeYear(3);
  EXPECT_EQ(editor.PlayerCount, 2);
  for (const char* chosen : {"epoch/Год0.tvk", "missing/Год0.tvk"}) {
    ui.dialogAnswers = {dir() / chosen};
    ui.Run([&] { editor.N2Click(); });
  }
  EXPECT_EQ(editor.EpochDir, (dir() / "epoch").string() + "/") << "a name that does not exist names no epoch";
  EXPECT_EQ(editor.PlayerCount, 2) << "opening an epoch loads nothing";
  ui.TypeYear(3);
  EXPECT_EQ(editor.PlayerCount, 5);
}

}  // namespace
}  // namespace app::testing
