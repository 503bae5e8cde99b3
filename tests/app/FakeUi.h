#pragma once
// A desktop for the Editor without windows: dialogs answer from a queue, everything shown is recorded.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Editor.h"
#include "world/FileError.h"

namespace app::testing {

class FakeUi : public Ui {
 public:
  Editor* editor = nullptr;

  std::deque<std::optional<std::filesystem::path>> dialogAnswers;  // empty queue = cancel
  std::vector<FileDialogRequest> dialogRequests;
  std::vector<std::string> errors;
  std::string playersField;
  std::string panels[4] = {"(x,y)", "Название земли", "доход", "РУДНИК"};
  int yearField = 0;
  int upDownMaximum = 0;
  int upDownPosition = 0;
  int referenceToggles = 0;
  bool closed = false;
  int surfaceUpdates = 0;

  // Runs a handler as the window does: an error ends it and lands in the error box.
  void Run(const std::function<void()>& handler) {
    try {
      handler();
    } catch (const world::FileError& e) {
      errors.push_back(e.what());
    }
  }

  std::optional<std::filesystem::path> ChooseFile(const FileDialogRequest& request) override {
    dialogRequests.push_back(request);
    if (dialogAnswers.empty()) return std::nullopt;
    auto answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    return answer;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void SetPlayersField(const std::string& text) override { playersField = text; }
  void SetStatusPanel(int panel, const std::string& text) override { panels[panel] = text; }
  int YearFieldValue() override { return yearField; }
  // Like the real field: kept within 0..1000, and every change of the text raises the change event.
  void SetYearFieldValue(int value) override {
    value = value < 0 ? 0 : value > 1000 ? 1000 : value;
    if (value == yearField) return;
    yearField = value;
    if (editor) Run([this] { editor->SpinEdit1Change(); });
  }
  // The user typing into the field: the value is used as typed.
  void TypeYear(int value) {
    yearField = value;
    Run([this] { editor->SpinEdit1Change(); });
  }
  int UpDownPosition() override { return upDownPosition; }
  void SetUpDown(int maximum, int position) override {
    upDownMaximum = maximum;
    upDownPosition = position;
  }
  void ToggleReferenceWindow() override { ++referenceToggles; }
  void CloseMainWindow() override { closed = true; }
  void WindowSurfaceChanged() override { ++surfaceUpdates; }
};

}  // namespace app::testing
