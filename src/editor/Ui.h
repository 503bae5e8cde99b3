#pragma once
// What the Editor needs from the desktop. The Qt main window implements it with real widgets;
// tests implement it with a fake.

#include <filesystem>
#include <optional>
#include <string>

namespace editor {

enum class MouseButton { Left, Right, Middle };

struct FileDialogRequest {
  std::string title;   // UTF-8
  std::string filter;  // "Description|*.ext", UTF-8
  std::optional<std::string> proposedName;  // UTF-8; none keeps the dialog's previous name
};

class Ui {
 public:
  virtual ~Ui() = default;
  // Shows the shared open-file dialog; the chosen path, or nothing when cancelled.
  virtual std::optional<std::filesystem::path> ChooseFile(const FileDialogRequest& request) = 0;
  virtual void ShowError(const std::string& text) = 0;  // UTF-8
  virtual void SetPlayersField(const std::string& text) = 0;
  virtual void SetStatusPanel(int panel, const std::string& text) = 0;  // panels 0..3, UTF-8
  // The year field: its value (a text that is no integer counts as 0) and setting it, which
  // raises SpinEdit1Change as any change of its text does.
  virtual int YearFieldValue() = 0;
  virtual void SetYearFieldValue(int value) = 0;
  // Shows a year in the field without raising its change: no turn is loaded for it.
  virtual void ShowYear(int value) = 0;
  virtual int UpDownPosition() = 0;
  virtual void SetUpDown(int maximum, int position) = 0;
  virtual void ToggleReferenceWindow() = 0;
  virtual void CloseMainWindow() = 0;
  // The window surface changed and should be shown.
  virtual void WindowSurfaceChanged() = 0;
  // Another turn is about to replace the one shown: a front end that keeps copies of unsaved
  // edits takes the current turn's now, however recent its last edit.
  virtual void TurnAboutToBeReplaced() {}
};

}  // namespace editor
