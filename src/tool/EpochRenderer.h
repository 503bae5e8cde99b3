#pragma once
// Pictures of turns without a window: the editor started headless, a turn loaded with
// "Загрузить ход" and the map written with "Сохранить как картинку".

#include <deque>
#include <filesystem>
#include <optional>

#include "app/Editor.h"

namespace tool {

class EpochRenderer {
 public:
  // Runs the editor's start-up with the files of `startupDir`, then loads `palette` if given.
  // Throws world::FileError when start-up or the palette fails.
  EpochRenderer(const std::filesystem::path& startupDir, const std::optional<std::filesystem::path>& palette);

  // Loads `turn` and writes the whole composed map to `picture`: a BMP as the editor saves it,
  // or a PNG when the name ends in ".png". Throws world::FileError.
  void Render(const std::filesystem::path& turn, const std::filesystem::path& picture);

  const app::Editor& editor() const { return editor_; }

 private:
  // Answers each dialog with the next queued path; records what the editor would show.
  class HeadlessUi : public app::Ui {
   public:
    std::deque<std::filesystem::path> answers;
    std::optional<std::filesystem::path> ChooseFile(const app::FileDialogRequest&) override;
    void ShowError(const std::string&) override {}
    void SetPlayersField(const std::string&) override {}
    void SetStatusPanel(int, const std::string&) override {}
    int YearFieldValue() override { return year; }
    void SetYearFieldValue(int value) override { year = value; }
    int UpDownPosition() override { return 27; }
    void SetUpDown(int, int) override {}
    void ToggleReferenceWindow() override {}
    void CloseMainWindow() override {}
    void WindowSurfaceChanged() override {}
    int year = 0;
  };

  void RunDialogCommand(void (app::Editor::*command)(), const std::filesystem::path& answer);

  HeadlessUi ui_;
  app::Editor editor_{ui_};
};

// Saves a surface as a PNG picture (for sharing; the editor itself writes BMP).
void SavePng(const render::Surface& surface, const std::filesystem::path& path);

}  // namespace tool
