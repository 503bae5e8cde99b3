#include "EditorFixture.h"
#include "world/TurnFile.h"

namespace app::testing {
namespace {

// Player 1 "Alpha": a fortress and two knights; player 2 "Beta": a knight. Year 5.
const std::string kTurn =
    "legend\r\n5\r\nPlayer\r\nAlpha\r\n1 2\r\n\xCA 3 2,\r\n\xF0 3 2,4 2,\r\n"
    "Player\r\nBeta\r\n0 0\r\n\xF0 6 3,\r\nEND\r\n";

std::string TurnOfYear(int year, int units) {
  std::string text = "legend\r\n" + std::to_string(year) + "\r\nPlayer\r\nSolo\r\n0 0\r\n\xE4 ";
  for (int i = 1; i <= units; ++i) text += std::to_string(i) + " 1,";
  return text + "\r\nEND\r\n";
}

TEST_F(EditorTest, LoadingATurnDrawsItAndUpdatesThePlayersField) {
  Start();
  WriteBytes("turn.tvk", kTurn);
  ui.dialogAnswers.push_back(dir() / "turn.tvk");
  ui.Run([&] { editor.N8Click(); });
  ASSERT_TRUE(ui.errors.empty());
  EXPECT_EQ(ui.dialogRequests.back().filter, "Файл хода|*.tvk");
  EXPECT_EQ(editor.PlayerCount, 2);
  EXPECT_EQ(ui.playersField, "2");
  EXPECT_EQ(editor.World.Year, 5);
  EXPECT_EQ(ui.yearField, 0);
  EXPECT_EQ(ui.upDownPosition, 27);
  // The last unit read is current, and its marker is on the map and in the window.
  EXPECT_EQ(editor.edit.CurrentPlayer, 2);
  EXPECT_EQ(editor.edit.CurrentUnit, 1);
  EXPECT_FALSE(editor.scene.ComposedMap == editor.scene.CleanMap);
  const int px = 6 * 20 + 20 + 10, py = 2 * 20 + 18 + 10;
  // Player 2's colour is dark, so the icon's black dot shows yellow.
  EXPECT_EQ(editor.scene.ComposedMap.PixelAt(px, py), world::Rgb(255, 255, 0));
  EXPECT_EQ(editor.scene.Window.PixelAt(px + 2, py + 30), world::Rgb(255, 255, 0));
}

TEST_F(EditorTest, FailedTurnLoadChangesNothingAndShowsTheError) {
  Start();
  WriteBytes("good.tvk", kTurn);
  ui.dialogAnswers.push_back(dir() / "good.tvk");
  ui.Run([&] { editor.N8Click(); });
  const render::Surface before = editor.scene.ComposedMap;
  const world::TMap worldBefore = editor.World;

  WriteBytes("bad.tvk", "legend\r\n7\r\nPlayer\r\nX\r\n1 zz\r\nEND\r\n");
  ui.playersField = "untouched";
  ui.dialogAnswers.push_back(dir() / "bad.tvk");
  ui.Run([&] { editor.N8Click(); });
  EXPECT_EQ(ui.errors, std::vector<std::string>{"Invalid numeric input"});
  EXPECT_EQ(editor.World.Year, worldBefore.Year);
  EXPECT_EQ(editor.World.players[1].name, "Alpha");
  EXPECT_EQ(editor.PlayerCount, 2);
  EXPECT_EQ(ui.playersField, "untouched");
  EXPECT_TRUE(editor.scene.ComposedMap == before);

  ui.errors.clear();
  ui.dialogAnswers.push_back(dir() / "missing.tvk");
  ui.Run([&] { editor.N8Click(); });
  EXPECT_EQ(ui.errors, std::vector<std::string>{"File not found"});
  EXPECT_TRUE(editor.scene.ComposedMap == before);
}

TEST_F(EditorTest, CancelledDialogsChangeNothingOnDiskOrInTheWorld) {
  Start();
  const render::Surface map = editor.scene.ComposedMap;
  for (auto command : {&Editor::N7Click, &Editor::N8Click, &Editor::N2Click, &Editor::N1Click,
                       &Editor::N9Click, &Editor::N10Click})
    ui.Run([&] { (editor.*command)(); });
  EXPECT_TRUE(ui.errors.empty());
  EXPECT_EQ(ui.dialogRequests.size(), 6u);
  EXPECT_TRUE(editor.scene.ComposedMap == map);
  EXPECT_EQ(editor.PlayerCount, 27);
  EXPECT_EQ(editor.EpochDir, "");
  EXPECT_FALSE(fs::exists("Год0.tvk"));
  EXPECT_FALSE(fs::exists("Год0.bmp"));
}

TEST_F(EditorTest, YearFieldLoadsEachYearThatHasAFile) {
  Start();
  WriteBytes("Год1.tvk", TurnOfYear(1, 1));
  WriteBytes("Год12.tvk", TurnOfYear(12, 12));
  // Typing "12" changes the field twice.
  ui.TypeYear(1);
  EXPECT_EQ(editor.World.players[1].count, 1);
  ui.TypeYear(12);
  EXPECT_EQ(editor.World.Year, 12);
  EXPECT_EQ(editor.World.players[1].count, 12);
  EXPECT_EQ(ui.playersField, "1");
  // A year without a file keeps the map and the players, while Year already holds the new year.
  const render::Surface shown = editor.scene.ComposedMap;
  ui.TypeYear(13);
  EXPECT_EQ(editor.World.Year, 13);
  EXPECT_EQ(editor.World.players[1].count, 12);
  EXPECT_TRUE(editor.scene.ComposedMap == shown);
  // An emptied field counts as year 0.
  WriteBytes("Год0.tvk", TurnOfYear(0, 3));
  ui.TypeYear(0);
  EXPECT_EQ(editor.World.players[1].count, 3);
  EXPECT_TRUE(ui.errors.empty());
}

TEST_F(EditorTest, KeyReleaseStepsTheYearUntilTheTop) {
  Start();
  WriteBytes("Год1.tvk", TurnOfYear(1, 2));
  editor.FormKeyUp();
  EXPECT_EQ(ui.yearField, 1);
  EXPECT_EQ(editor.World.players[1].count, 2);
  ui.yearField = 1000;
  editor.World.Year = 77;
  editor.FormKeyUp();
  EXPECT_EQ(ui.yearField, 1000);
  EXPECT_EQ(editor.World.Year, 77);  // no change, so no change event
}

TEST_F(EditorTest, EpochFolderIsWhereYearFilesAreLookedFor) {
  Start();
  fs::create_directories("epoch");
  WriteBytes("epoch/Год3.tvk", TurnOfYear(3, 3));
  WriteBytes("Год3.tvk", TurnOfYear(3, 1));
  ui.TypeYear(3);
  EXPECT_EQ(editor.World.players[1].count, 1);

  // A chosen name that does not exist names no epoch.
  ui.dialogAnswers.push_back(dir() / "epoch" / "nothing.tvk");
  ui.Run([&] { editor.N2Click(); });
  EXPECT_EQ(editor.EpochDir, "");
  EXPECT_EQ(ui.dialogRequests.back().title, "Открыть эпоху...");
  EXPECT_EQ(ui.dialogRequests.back().filter, "Файл пришествия |*.tvk");
  EXPECT_EQ(ui.dialogRequests.back().proposedName, "Год0.tvk");

  WriteBytes("epoch/Год0.tvk", TurnOfYear(0, 5));
  ui.dialogAnswers.push_back(dir() / "epoch" / "Год0.tvk");
  ui.Run([&] { editor.N2Click(); });
  EXPECT_EQ(editor.EpochDir, (dir() / "epoch").string() + "/");
  EXPECT_EQ(editor.World.players[1].count, 1);  // opening an epoch loads nothing
  ui.TypeYear(3);
  EXPECT_EQ(editor.World.players[1].count, 3);
}

TEST_F(EditorTest, SavingTakesTheYearFromTheYearField) {
  Start();
  WriteBytes("turn.tvk", kTurn);
  ui.dialogAnswers.push_back(dir() / "turn.tvk");
  ui.Run([&] { editor.N8Click(); });
  ui.yearField = 7;
  ui.dialogAnswers.push_back(dir() / "Год7.tvk");
  ui.Run([&] { editor.N10Click(); });
  ASSERT_TRUE(ui.errors.empty());
  EXPECT_EQ(ui.dialogRequests.back().title, "Сохранить ход в файл данных");
  EXPECT_EQ(ui.dialogRequests.back().proposedName, "Год7.tvk");
  world::TMap readBack;
  uint8_t count = 0;
  world::ReadTurnFile(readBack, count, "Год7.tvk");
  EXPECT_EQ(readBack.Year, 7);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(readBack.players[2].name, "Beta");

  // The picture is the whole composed map, and saving it replaces an existing file.
  WriteBytes("Год7.bmp", "old");
  ui.dialogAnswers.push_back(dir() / "Год7.bmp");
  ui.Run([&] { editor.N9Click(); });
  EXPECT_EQ(ui.dialogRequests.back().title, "Сохранить ход в файл картинки");
  EXPECT_EQ(ui.dialogRequests.back().filter, "Карта|*.bmp");
  EXPECT_EQ(ui.dialogRequests.back().proposedName, "Год7.bmp");
  render::Surface saved;
  saved.LoadBmp("Год7.bmp");
  EXPECT_TRUE(saved == editor.scene.ComposedMap);
}

TEST_F(EditorTest, PaletteLoadsOnlyAnExistingFile) {
  Start();
  WriteBytes("colours.pal", "1 2 3\r\n4 5 6\r\n");
  ui.dialogAnswers.push_back(dir() / "missing.pal");
  ui.Run([&] { editor.N1Click(); });
  EXPECT_TRUE(ui.errors.empty());
  EXPECT_EQ(editor.scene.Palette[1], world::Rgb(255, 0, 255));
  ui.dialogAnswers.push_back(dir() / "colours.pal");
  ui.Run([&] { editor.N1Click(); });
  EXPECT_EQ(ui.dialogRequests.back().proposedName, "palitr.pal");
  EXPECT_EQ(editor.scene.Palette[2], world::Rgb(4, 5, 6));
  EXPECT_EQ(editor.scene.Palette[3], world::Rgb(255, 128, 64));
}

TEST_F(EditorTest, LoadingAMapPictureReplacesOnlyTheComposedMap) {
  Start();
  editor.scene.OriginX = -18;
  PatternMap(50, 40).SaveBmp("other.bmp");
  ui.dialogAnswers.push_back(dir() / "other.bmp");
  ui.Run([&] { editor.N7Click(); });
  EXPECT_EQ(editor.scene.ComposedMap.Width(), 50);
  EXPECT_EQ(editor.scene.CleanMap.Width(), 400);
  EXPECT_EQ(editor.scene.OriginX, 2);
  EXPECT_EQ(editor.scene.Window.PixelAt(2 + 60, 40), editor.scene.WindowColor);

  editor.scene.OriginX = -18;
  WriteBytes("broken.bmp", "BM broken");
  ui.dialogAnswers.push_back(dir() / "broken.bmp");
  ui.Run([&] { editor.N7Click(); });
  EXPECT_EQ(ui.errors, std::vector<std::string>{"Bitmap image is not valid"});
  EXPECT_EQ(editor.scene.OriginX, -18);
  EXPECT_EQ(editor.scene.ComposedMap.Width(), 50);
}

TEST_F(EditorTest, PlayerCountControlRepaintsOnlyTheColourStrip) {
  Start();
  ui.upDownPosition = 2;
  editor.UpDown1Click();
  EXPECT_EQ(editor.PlayerCount, 2);
  EXPECT_EQ(ui.playersField, "2");
  EXPECT_EQ(editor.scene.Window.PixelAt(661 + 20 + 10, 10), editor.scene.Palette[2]);
  EXPECT_EQ(editor.scene.Window.PixelAt(661 + 40 + 10, 10), editor.scene.WindowColor);
}

}  // namespace
}  // namespace app::testing
