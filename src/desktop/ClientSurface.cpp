#include "desktop/ClientSurface.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include "render/SurfaceImage.h"

namespace desktop {

namespace {

editor::MouseButton ButtonOf(const QMouseEvent& event) {
  switch (event.button()) {
    case Qt::LeftButton:
      return editor::MouseButton::Left;
    case Qt::RightButton:
      return editor::MouseButton::Right;
    default:
      return editor::MouseButton::Middle;
  }
}

}  // namespace

ClientSurface::ClientSurface(const render::Surface& shown, QWidget* parent) : QWidget(parent), shown_(shown) {
  setMouseTracking(true);
  setCursor(Qt::PointingHandCursor);
  setAutoFillBackground(true);
}

bool ClientSurface::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  ShowToolTip(help->pos(), help->globalPos());
  event->setAccepted(!toolTipShown_.isEmpty());
  return true;
}

void ClientSurface::ShowToolTip(QPoint at, QPoint globalAt) {
  const QString text = handlers_.toolTip ? handlers_.toolTip(at.x(), at.y()) : QString();
  if (text.isEmpty()) {
    QToolTip::hideText();
    toolTipShown_.clear();
    return;
  }
  if (text == toolTipShown_ && QToolTip::isVisible()) return;
  toolTipShown_ = text;
  // Escaped, so that a player's name is never taken for markup.
  QToolTip::showText(globalAt, "<p style='white-space:pre'>" + text.toHtmlEscaped() + "</p>", this);
}

void ClientSurface::paintEvent(QPaintEvent* event) {
  const QImage image = render::SurfaceImage(shown_);
  if (image.isNull()) return;
  QPainter painter(this);
  const QRect exposed = event->rect() & image.rect();
  painter.drawImage(exposed.topLeft(), image, exposed);
}

void ClientSurface::resizeEvent(QResizeEvent*) {
  if (handlers_.resize) handlers_.resize(width(), height());
}

void ClientSurface::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (handlers_.press) handlers_.press(ButtonOf(*event), at.x(), at.y());
}

void ClientSurface::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (handlers_.release) handlers_.release(ButtonOf(*event), at.x(), at.y());
}

void ClientSurface::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (handlers_.move) handlers_.move(at.x(), at.y());
  // A tooltip that is showing follows the mouse from cell to cell.
  if (QToolTip::isVisible()) ShowToolTip(at, event->globalPosition().toPoint());
}

void ClientSurface::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click is a press as well, after the double click itself.
  if (event->button() == Qt::LeftButton && handlers_.doubleClick) handlers_.doubleClick();
  mousePressEvent(event);
}

void ClientSurface::wheelEvent(QWheelEvent* event) {
  QPoint turn = event->angleDelta();
  // Shift turns the vertical wheel into a horizontal one.
  if ((event->modifiers() & Qt::ShiftModifier) && turn.x() == 0) turn = QPoint(turn.y(), 0);
  wheelRemainder_ += turn;
  const int columnNotches = wheelRemainder_.x() / NotchAngle;
  const int rowNotches = wheelRemainder_.y() / NotchAngle;
  wheelRemainder_ -= QPoint(columnNotches, rowNotches) * NotchAngle;
  // Turning the wheel away from the user (positive) moves the view up or to the left.
  if ((columnNotches || rowNotches) && handlers_.scroll)
    handlers_.scroll(-columnNotches * CellsPerNotch, -rowNotches * CellsPerNotch);
  event->accept();
}

}  // namespace desktop
