#pragma once
// A desktop without windows: each dialog answers with the next queued path (none: cancelled),
// the year field is a plain number, and nothing is shown. The batch export and the benchmarks
// run the editor on it.

#include <deque>
#include <filesystem>

#include "editor/Ui.h"

namespace editor {

class HeadlessUi : public Ui {
 public:
  std::deque<std::filesystem::path> answers;
  int year = 0;
  std::string panels[4];

  std::optional<std::filesystem::path> ChooseFile(const FileDialogRequest&) override {
    if (answers.empty()) return std::nullopt;
    std::filesystem::path answer = answers.front();
    answers.pop_front();
    return answer;
  }
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
