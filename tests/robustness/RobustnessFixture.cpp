#include "RobustnessFixture.h"

#include <stdlib.h>
#include <sys/stat.h>

#include "world/TurnFile.h"

namespace robustness {

FolderContents ContentsOf(const fs::path& folder) {
  FolderContents contents;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(entry.path(), folder).string();
    const fs::file_status status = entry.symlink_status();
    if (fs::is_regular_file(status))
      contents[name] = ReadBytes(entry.path());
    else if (fs::is_directory(status))
      contents[name] = "<folder>";
    else
      contents[name] = "<other>";
  }
  return contents;
}

std::string GoodTurnFile() {
  return std::string(world::TurnLegendLine) +
         "\r\n5\r\nPlayer\r\nAlpha\r\n1 2\r\n\xC3 2 2,\r\n\xE4 3 1,4 1,\r\n"
         "Player\r\nBeta\r\n3 4\r\n\xE3 5 2,\r\nEND\r\n";
}

void RobustnessTest::SetUp() {
  std::string pattern = (fs::temp_directory_path() / "tirmagor-robustness-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
  // Open to everyone, so that a child that gives up root can still work in it.
  fs::permissions(dir_, fs::perms::all);
  WriteBytes(dir_ / "orv.dat", app::testing::kLandFile);
  app::testing::PatternMap(400, 300).SaveBmp(dir_ / "map.bmp");
  app::testing::IconStrip(15).SaveBmp(dir_ / "osnova.bmp");
  app::testing::IconStrip(4).SaveBmp(dir_ / "rudnici.bmp");
  ui.editor = &editor;
  editor.StartupDir = dir_;
  ASSERT_TRUE(Run([&] { editor.FormCreate(); }).empty());
  editor.ResizeWindowSurface(1130, 806);
}

void RobustnessTest::TearDown() {
  // Folders a test made read-only must be opened again before they can be removed.
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir_, ec))
    if (entry.is_directory(ec)) fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(dir_, ec);
}

EditorState RobustnessTest::State() const {
  return {editor.World,       editor.PlayerCount,   editor.LandCount,    editor.scene.ComposedMap,
          editor.scene.Palette, editor.scene.OriginX, editor.scene.OriginY, ui.playersField};
}

std::vector<std::string> RobustnessTest::Run(const std::function<void()>& handler) {
  ui.errors.clear();
  ui.Run(handler);
  return ui.errors;
}

std::vector<std::string> RobustnessTest::RunWithFile(void (app::Editor::*command)(), const fs::path& path) {
  ui.dialogAnswers = {path};
  std::vector<std::string> errors = Run([&] { (editor.*command)(); });
  ui.dialogAnswers.clear();
  return errors;
}

void RobustnessTest::ExpectEditorStillWorks() {
  const fs::path turn = dir_ / "still-works.tvk";
  WriteBytes(turn, GoodTurnFile());
  EXPECT_EQ(RunWithFile(&app::Editor::N8Click, turn), std::vector<std::string>{});
  EXPECT_EQ(ui.playersField, "2");

  // Alpha's first dragon, from (3, 1) to (6, 3).
  auto cellX = [&](int x) { return editor.scene.OriginX + 20 * x + 30; };
  auto cellY = [&](int y) { return editor.scene.OriginY + 20 * (y - 1) + 28; };
  editor.MouseDOwn(app::MouseButton::Left, cellX(3), cellY(1));
  editor.Image1MouseUp(app::MouseButton::Left, cellX(6), cellY(3));

  ui.yearField = 9;
  const fs::path saved = dir_ / "still-works-saved.tvk";
  EXPECT_EQ(RunWithFile(&app::Editor::N10Click, saved), std::vector<std::string>{});
  world::TMap readBack;
  uint8_t players = 0;
  world::ReadTurnFile(readBack, players, saved);
  EXPECT_EQ(readBack.Year, 9);
  ASSERT_EQ(players, 2);
  const world::TPlayer& alpha = readBack.players[1];
  ASSERT_EQ(alpha.count, 3);
  // Written by kind from 19 down: the city (12) first, then the dragons (8) in list order.
  EXPECT_EQ(alpha.units[1], (world::TUnit{2, 2, 12}));
  EXPECT_EQ(alpha.units[2], (world::TUnit{6, 3, 8}));
  EXPECT_EQ(alpha.units[3], (world::TUnit{4, 1, 8}));
  fs::remove(turn);
  fs::remove(saved);
}

}  // namespace robustness
