#include "desktop/YearSpinEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>

namespace desktop {

namespace {

constexpr int ButtonWidth = 15;

QToolButton* MakeStepButton(Qt::ArrowType arrow, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoRepeat(true);
  button->setCursor(Qt::ArrowCursor);
  button->setIconSize(QSize(7, 7));
  return button;
}

}  // namespace

YearSpinEdit::YearSpinEdit(int minimum, int maximum, QWidget* parent)
    : QLineEdit(parent),
      minimum_(minimum),
      maximum_(maximum),
      upButton_(MakeStepButton(Qt::UpArrow, this)),
      downButton_(MakeStepButton(Qt::DownArrow, this)) {
  setText(QString::number(minimum));
  setTextMargins(0, 0, ButtonWidth, 0);
  // Only typed keys pass the character filter; composed input and drops would bypass it.
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setAcceptDrops(false);
  connect(upButton_, &QToolButton::clicked, this, [this] { StepBy(1); });
  connect(downButton_, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

int YearSpinEdit::Value() const {
  bool isInteger = false;
  const int value = text().toInt(&isInteger, 10);
  return isInteger ? value : minimum_;
}

void YearSpinEdit::SetValue(int value) {
  const QString newText = QString::number(std::clamp(value, minimum_, maximum_));
  if (newText != text()) setText(newText);
}

void YearSpinEdit::StepBy(int steps) { SetValue(Value() + steps); }

bool YearSpinEdit::IsAcceptedCharacter(QChar c) const {
  if (c.category() == QChar::Other_Control) return c != QChar('\r');  // control keys, except Enter
  return (c >= QChar('0') && c <= QChar('9')) || c == QChar('+') || c == QChar('-') ||
         QString(c) == QLocale().decimalPoint();
}

void YearSpinEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    StepBy(event->key() == Qt::Key_Up ? 1 : -1);
    event->accept();
    return;
  }
  const QString typed = event->text();
  if (!typed.isEmpty() && !std::all_of(typed.begin(), typed.end(), [this](QChar c) { return IsAcceptedCharacter(c); })) {
    QApplication::beep();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void YearSpinEdit::focusOutEvent(QFocusEvent* event) {
  // A typed value outside the range stands until the focus moves to another control; then the
  // nearer end replaces it. Opening the menu or another window is no such move.
  const bool focusLeftForAControl =
      event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
  const int value = Value();
  if (focusLeftForAControl && std::clamp(value, minimum_, maximum_) != value) SetValue(value);
  QLineEdit::focusOutEvent(event);
}

void YearSpinEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  const int upHeight = height() / 2;
  upButton_->setGeometry(width() - ButtonWidth, 0, ButtonWidth, upHeight);
  downButton_->setGeometry(width() - ButtonWidth, upHeight, ButtonWidth, height() - upHeight);
}

void YearSpinEdit::wheelEvent(QWheelEvent* event) { event->accept(); }

}  // namespace desktop
