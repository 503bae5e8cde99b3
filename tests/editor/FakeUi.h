#pragma once
// The headless desktop with a memory: it records what the Editor shows and asks for.

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "editor/Editor.h"
#include "editor/HeadlessUi.h"
#include "world/FileError.h"

namespace editor::testing {

class FakeUi : public HeadlessUi {
 public:
  Editor* editor = nullptr;
  std::deque<std::filesystem::path> dialogAnswers;  // each dialog takes the next; none left = cancel
  int& yearField = year;
  std::vector<FileDialogRequest> dialogRequests;
  std::vector<std::string> errors;
  std::string playersField;
  int upDownPosition = 0;

  // Runs a handler as the window does: an error ends it and lands in the error box.
  void Run(const std::function<void()>& handler) {
    try {
      handler();
    } catch (const world::FileError& e) {
      errors.push_back(e.what());
    }
  }
  // The user typing into the year field: the value is used as typed.
  void TypeYear(int value) {
    year = value;
    Run([this] { editor->SpinEdit1Change(); });
  }
  // The user setting the number of players with the up-down control.
  void SetPlayerCount(int count) { upDownPosition = count; editor->UpDown1Click(); }

  std::optional<std::filesystem::path> ChooseFile(const FileDialogRequest& request) override {
    dialogRequests.push_back(request);
    if (dialogAnswers.empty()) return std::nullopt;
    std::filesystem::path answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    return answer;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void SetPlayersField(const std::string& text) override { playersField = text; }
  // Like the real field: kept within 0..1000, and a change raises the change event.
  void SetYearFieldValue(int value) override {
    value = std::clamp(value, 0, 1000);
    if (value == year) return;
    year = value;
    if (editor) Run([this] { editor->SpinEdit1Change(); });
  }
  int UpDownPosition() override { return upDownPosition; }
  void SetUpDown(int, int position) override { upDownPosition = position; }
};

}  // namespace editor::testing
