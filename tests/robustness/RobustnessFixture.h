#pragma once
// An editor started on small start-up files in a scratch folder, with a desktop whose file
// dialog can spoil the chosen file after the user confirmed it, and the means to prove that a
// failed command left every file and the editor's state alone.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "EditorFixture.h"
#include "FakeUi.h"
#include "app/Editor.h"

namespace robustness {

namespace fs = std::filesystem;
using app::testing::ReadBytes;
using app::testing::WriteBytes;

// Every entry under a folder: files with their bytes, folders and other entries by kind.
using FolderContents = std::map<std::string, std::string>;
FolderContents ContentsOf(const fs::path& folder);

// The file dialog answers from the queue; `afterConfirm` then runs once with the chosen path,
// between the user's confirmation and the command's use of the file.
class SabotagedUi : public app::testing::FakeUi {
 public:
  std::function<void(const fs::path&)> afterConfirm;

  std::optional<fs::path> ChooseFile(const app::FileDialogRequest& request) override {
    std::optional<fs::path> answer = FakeUi::ChooseFile(request);
    if (answer && afterConfirm) std::exchange(afterConfirm, nullptr)(*answer);
    return answer;
  }
};

// What a failed load must leave as it was.
struct EditorState {
  world::TMap World;
  uint8_t PlayerCount = 0;
  uint8_t LandCount = 0;
  render::Surface ComposedMap;
  world::TPalette Palette{};
  int OriginX = 0;
  int OriginY = 0;
  std::string playersField;
  bool operator==(const EditorState&) const = default;
};

// Two players: Alpha (dragons at (3, 1) and (4, 1), a city at (2, 2)) and Beta (a dwarf at (5, 2)).
std::string GoodTurnFile();

class RobustnessTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  fs::path Dir() const { return dir_; }
  EditorState State() const;

  // Runs a handler as the window does; returns the errors it showed.
  std::vector<std::string> Run(const std::function<void()>& handler);
  // The command with the dialog confirmed on `path`.
  std::vector<std::string> RunWithFile(void (app::Editor::*command)(), const fs::path& path);

  // Loads the good turn, moves a dragon with the mouse, saves the turn and reads it back.
  void ExpectEditorStillWorks();

  SabotagedUi ui;
  app::Editor editor{ui};

 private:
  fs::path dir_;
};

}  // namespace robustness
