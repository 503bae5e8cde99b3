#pragma once
// The main window: lays out the controls and the menu, shows the editor's window surface and
// hands every window event to the Editor, which it owns. It is the Editor's desktop (editor::Ui).

#include <QMainWindow>
#include <QSet>
#include <functional>
#include <memory>

#include "editor/Editor.h"
#include "editor/Ui.h"

class QFileDialog;
class QLabel;
class QLineEdit;
class QScrollBar;
class QTimer;

namespace desktop {

class TForm2;
class OverviewWindow;
class RecoveryWindow;
class ClientSurface;
class PanelStatusBar;
class UpDownButtons;
class YearSpinEdit;

class TForm1 : public QMainWindow, public editor::Ui {
 public:
  // Shows an error: the box's title and the error's text. Tests put a recorder in place of the box.
  using ErrorPresenter = std::function<void(const QString& title, const QString& text)>;

  // Builds the window and runs the start-up sequence once; its error, if any, is shown before
  // the constructor returns. Without a presenter errors show in a modal message box.
  // With a world, start-up reads from its folder and opens it (editor::Editor::OpenWorld).
  explicit TForm1(ErrorPresenter presentError = {}, std::optional<editor::WorldLocation> world = std::nullopt);
  ~TForm1() override;

  editor::Editor& editor() { return *editor_; }
  // Creates the hidden reference window, owned by this window, and runs its start-up; an error
  // there shows in the error box and leaves the window at its described size.
  desktop::TForm2& CreateReferenceWindow();

  // Runs one handler; an error it raises ends it and is shown in the error box. The edit menu
  // then shows what can be undone and redone.
  void RunHandler(const std::function<void()>& handler);

  // The recovery copies: written within a second of each change of the turn, offered in the
  // window "Несохранённые правки" when a turn of a world that has copies is loaded.
  const editor::RecoveryKeeper& Recovery() const { return *recovery_; }
  desktop::RecoveryWindow& RecoveryCopies() { return *recoveryWindow_; }
  // Writes or removes the current turn's copy now, rather than when its timer runs out.
  void UpdateRecoveryCopy();

  static constexpr QPoint FramePosition{-1, 0};
  static constexpr QSize OuterSize{1146, 857};

  // Ui
  std::optional<std::filesystem::path> ChooseFile(const editor::FileDialogRequest& request) override;
  void ShowError(const std::string& text) override;
  void SetPlayersField(const std::string& text) override;
  void SetStatusPanel(int panel, const std::string& text) override;
  int YearFieldValue() override;
  void SetYearFieldValue(int value) override;
  void ShowYear(int value) override;
  int UpDownPosition() override;
  void SetUpDown(int maximum, int position) override;
  void ToggleReferenceWindow() override;
  void CloseMainWindow() override;
  void WindowSurfaceChanged() override;
  void TurnAboutToBeReplaced() override;

 protected:
  void keyReleaseEvent(QKeyEvent* event) override;
  // Keeps the keys of the commands added to the design (undo, redo, the overview) and Escape
  // from the fields: they act on the map and the windows.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void CreateMenu();
  void CreateControls();
  void ConnectEvents();
  void UpdateEditActions();
  // The copies of the current turn's world in the recovery window, which opens when `offer`.
  void ShowRecoveryCopies(bool offer);
  void RestoreCopy(const editor::RecoveryRecord& copy);
  // The keys held down now belong to an edit command: their releases step no year.
  void ClaimHeldKeys();

  ErrorPresenter presentError_;
  std::unique_ptr<editor::Editor> editor_;
  desktop::TForm2* referenceWindow_ = nullptr;
  bool frameKnown_ = false;

  ClientSurface* surface_ = nullptr;
  QLabel* label1_ = nullptr;
  YearSpinEdit* spinEdit1_ = nullptr;
  QLabel* label3_ = nullptr;
  QLineEdit* edit2_ = nullptr;
  UpDownButtons* upDown1_ = nullptr;
  PanelStatusBar* statusBar1_ = nullptr;
  QScrollBar* scrollBar1_ = nullptr;
  QScrollBar* scrollBar2_ = nullptr;
  QFileDialog* openDialog1_ = nullptr;
  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
  QAction* overviewAction_ = nullptr;
  QAction* recoveryAction_ = nullptr;
  std::unique_ptr<editor::RecoveryKeeper> recovery_;
  QTimer* recoveryTimer_ = nullptr;
  desktop::RecoveryWindow* recoveryWindow_ = nullptr;
  bool recoveryFailed_ = false;               // said once a run in the error box
  std::filesystem::path offeredTurn_;         // the turn file whose world's copies were offered last
  desktop::OverviewWindow* overview_ = nullptr;
  QSet<int> heldKeys_;     // pressed in this window and not yet released
  QSet<int> claimedKeys_;  // whose release belongs to an edit command
  int overriddenKey_ = 0;  // the key a shortcut is being looked up for
  QString dialogFileName_;  // the proposed name or the last confirmed path
};

}  // namespace desktop
