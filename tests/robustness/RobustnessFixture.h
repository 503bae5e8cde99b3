#pragma once
// The editor in a scratch folder and the means to prove that a failed command left every file
// and the editor's state alone.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "EditorFixture.h"
#include "world/TurnFile.h"

namespace robustness {

namespace fs = std::filesystem;
using editor::testing::ReadBytes;
using editor::testing::WriteBytes;
using test_support::ContentsOf;
using Command = void (editor::Editor::*)();


// Alpha (a city at (2, 2), dragons at `dragons`) and Beta (a dwarf at (5, 2)), as saved.
inline std::string GoodTurnFile(int year = 5, const std::string& dragons = "3 1,4 1,") {
  return world::TurnLegendLine() + "\r\n" + std::to_string(year) +
         "\r\nPlayer\r\nAlpha\r\n1 2\r\n\xC3 2 2,\r\n\xE4 " + dragons +
         "\r\nPlayer\r\nBeta\r\n3 4\r\n\xE3 5 2,\r\nEND\r\n";
}

// The editor started in a scratch folder with the good turn loaded; whatever a test did to it,
// it must afterwards still load, edit and save a turn.
class RobustnessTest : public editor::testing::EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Start();
    ASSERT_EQ(ui.errors, std::vector<std::string>{});
    ASSERT_EQ(LoadGoodTurn(), "");
  }
  void TearDown() override {
    EXPECT_EQ(LoadGoodTurn(), "");
    EXPECT_EQ(ui.playersField, "2");
    Press(3, 1);  // Alpha's first dragon
    Release(6, 3);
    ui.yearField = 9;
    EXPECT_EQ(Run(&editor::Editor::N10Click, dir() / "still-works.tvk"), "");
    EXPECT_EQ(ReadBytes(dir() / "still-works.tvk"), GoodTurnFile(9, "6 3,4 1,"));
    EditorTest::TearDown();
  }

  // Runs the command as the window does, with the dialog confirmed on `path`; returns the
  // error it showed, if any.
  std::string Run(Command command, const fs::path& path = {}) {
    ui.errors.clear();
    ui.dialogAnswers = {path};
    ui.Run([&] { (editor.*command)(); });
    EXPECT_LE(ui.errors.size(), 1u) << ui.errors[0];
    return ui.errors.empty() ? "" : ui.errors[0];
  }
  // The same for a load, which must leave the editor's state as it was when it fails.
  std::string Load(Command command, const fs::path& path) {
    auto state = [&] {
      return std::tuple(editor.World, editor.PlayerCount, editor.LandCount, editor.scene.ComposedMap,
                        editor.scene.Palette, editor.scene.OriginX, editor.scene.OriginY, ui.playersField);
    };
    const auto before = state();
    const std::string errors = Run(command, path);
    EXPECT_TRUE(errors.empty() || state() == before) << path << ": the failed load changed the editor";
    return errors;
  }
  fs::path Write(const std::string& name, const std::string& bytes) {
    WriteBytes(dir() / name, bytes);
    return dir() / name;
  }
  std::string LoadGoodTurn() { return Load(&editor::Editor::N8Click, Write("good.tvk", GoodTurnFile())); }
};

}  // namespace robustness
