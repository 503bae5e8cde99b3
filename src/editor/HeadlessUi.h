#pragma once
// A desktop without windows: every file dialog is cancelled, the year field is a plain number,
// and nothing is shown. Front ends without a desktop run the editor on it and call its
// operations with the paths they already have.

#include <filesystem>

#include "editor/Ui.h"

namespace editor {

class HeadlessUi : public Ui {
 public:
  int year = 0;
  std::string panels[4];

  std::optional<std::filesystem::path> ChooseFile(const FileDialogRequest&) override { return std::nullopt; }
  void ShowError(const std::string&) override {}
  void SetPlayersField(const std::string&) override {}
  void SetStatusPanel(int panel, const std::string& text) override { panels[panel] = text; }
  int YearFieldValue() override { return year; }
  void SetYearFieldValue(int value) override { year = value; }
  void ShowYear(int value) override { year = value; }
  int UpDownPosition() override { return 27; }
  void SetUpDown(int, int) override {}
  void ToggleReferenceWindow() override {}
  void CloseMainWindow() override {}
  void WindowSurfaceChanged() override {}
};

}  // namespace editor
