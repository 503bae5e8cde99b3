#include "desktop/UpDownButtons.h"

#include <QKeyEvent>
#include <QToolButton>
#include <algorithm>

namespace desktop {

namespace {

QToolButton* MakeArrowButton(Qt::ArrowType arrow, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoRepeat(true);
  button->setIconSize(QSize(7, 7));
  return button;
}

}  // namespace

UpDownButtons::UpDownButtons(int minimum, int maximum, int position, QWidget* parent)
    : QWidget(parent),
      minimum_(minimum),
      maximum_(maximum),
      position_(std::clamp(position, minimum, maximum)),
      upButton_(MakeArrowButton(Qt::UpArrow, this)),
      downButton_(MakeArrowButton(Qt::DownArrow, this)) {
  upButton_->setObjectName("Up");
  downButton_->setObjectName("Down");
  setFocusPolicy(Qt::TabFocus);
  setCursor(Qt::ArrowCursor);
  connect(upButton_, &QToolButton::clicked, this, [this] { Step(1); });
  connect(downButton_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDownButtons::SetMaximum(int maximum) {
  maximum_ = std::max(maximum, minimum_);
  position_ = std::clamp(position_, minimum_, maximum_);
}

void UpDownButtons::SetPosition(int position) { position_ = std::clamp(position, minimum_, maximum_); }

void UpDownButtons::Step(int delta) {
  position_ = std::clamp(position_ + delta, minimum_, maximum_);
  emit Clicked();
}

void UpDownButtons::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    Step(event->key() == Qt::Key_Up ? 1 : -1);
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void UpDownButtons::resizeEvent(QResizeEvent*) {
  const int upHeight = height() / 2;
  upButton_->setGeometry(0, 0, width(), upHeight);
  downButton_->setGeometry(0, upHeight, width(), height() - upHeight);
}

}  // namespace desktop
