#pragma once
// The year field: a number field with up and down buttons whose every change of text counts.
//
// A QSpinBox clamps and re-validates while the user types; this field instead lets a typed value
// outside the range stand until the field loses the focus, and reports each keystroke's text.
// Listen to QLineEdit::textChanged for its changes.

#include <QLineEdit>

class QToolButton;

namespace desktop {

class YearSpinEdit : public QLineEdit {
 public:
  YearSpinEdit(int minimum, int maximum, QWidget* parent);

  // The integer in the text; a text that is no integer counts as the minimum.
  int Value() const;
  // Sets the text to the value kept within the range; no change when the text is already that.
  void SetValue(int value);
  void StepBy(int steps);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  bool IsAcceptedCharacter(QChar c) const;

  int minimum_;
  int maximum_;
  QToolButton* upButton_;
  QToolButton* downButton_;
};

}  // namespace desktop
