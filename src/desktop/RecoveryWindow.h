#pragma once
// The window "Несохранённые правки": the recovery copies of the main window's world, newest
// first, each with its year, the time of its last edit and what it changes against the turn file
// on disk now. It opens beside the main window without taking the keyboard focus; Enter or
// "Восстановить" restores the selected copy, "Удалить" drops it.

#include <QDialog>
#include <functional>
#include <vector>

#include "editor/Recovery.h"

class QPushButton;
class QTreeWidget;

namespace desktop {

class RecoveryWindow : public QDialog {
 public:
  using Action = std::function<void(const editor::RecoveryRecord&)>;
  RecoveryWindow(QWidget* mainWindow, Action restore, Action remove);

  // Lists the copies (a damaged one can only be deleted); the first row is selected.
  void SetCopies(const editor::RecoveryStore& store, const std::vector<editor::RecoveryRecord>& copies);
  // Shows the window beside the main window, leaving the focus where it is.
  void Offer();
  int RowCount() const;
  // The texts of a row: year, time of the last edit, changes (with a warning where the file on
  // disk changed since the copy was made).
  QStringList RowTexts(int row) const;

  static constexpr QSize InitialSize{460, 220};

 private:
  const editor::RecoveryRecord* Selected() const;
  void UpdateButtons();

  Action restore_, remove_;
  std::vector<editor::RecoveryRecord> copies_;
  QTreeWidget* list_ = nullptr;
  QPushButton* restoreButton_ = nullptr;
  QPushButton* removeButton_ = nullptr;
  bool placed_ = false;
};

}  // namespace desktop
