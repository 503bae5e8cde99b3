#include "desktop/OverviewWindow.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "render/SurfaceImage.h"

namespace desktop {

OverviewWindow::OverviewWindow(const render::Scene& scene, QWidget* mainWindow, std::function<void(int, int)> centreViewOn)
    : QWidget(mainWindow, Qt::Tool | Qt::WindowDoesNotAcceptFocus), scene_(scene), centreViewOn_(std::move(centreViewOn)) {
  setObjectName("Overview");
  setWindowTitle("Обзор");
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::CrossCursor);
  resize(InitialSize);
}

void OverviewWindow::Toggle() {
  if (isVisible()) {
    hide();
    return;
  }
  if (!placed_) PlaceBesideMainWindow();
  show();
  Refresh();
}

void OverviewWindow::PlaceBesideMainWindow() {
  placed_ = true;
  QWidget* mainWindow = parentWidget();
  const QScreen* screen = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen();
  if (!mainWindow || !screen) return;
  // Right of the main window where the screen has room, else at the screen's right edge.
  const QRect available = screen->availableGeometry();
  const QRect main = mainWindow->frameGeometry();
  QPoint at(main.right() + 1, main.top());
  if (at.x() + width() > available.right()) at.setX(available.right() - width());
  move(at.x(), std::max(at.y(), available.top()));
}

void OverviewWindow::Refresh() {
  if (!isVisible()) return;
  const bool remade = overview_.Refresh(scene_, width(), height());
  const render::Area frame = overview::ViewFrame(scene_, overview_.Placed());
  const bool frameMoved = frame.x1 != frame_.x1 || frame.y1 != frame_.y1 || frame.x2 != frame_.x2 || frame.y2 != frame_.y2;
  frame_ = frame;
  if (remade || frameMoved) update();
}

void OverviewWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  const overview::Placement& placed = overview_.Placed();
  const QImage picture = render::SurfaceImage(overview_.Picture());
  if (!picture.isNull()) painter.drawImage(QPoint(placed.left, placed.top), picture);
  if (frame_.x2 <= frame_.x1 || frame_.y2 <= frame_.y1) return;
  // A red line inside a white one shows on every colour of the map.
  const QRect frame(QPoint(frame_.x1, frame_.y1), QPoint(frame_.x2 - 1, frame_.y2 - 1));
  painter.setPen(QPen(Qt::white, 1));
  painter.drawRect(frame);
  painter.setPen(QPen(QColor(220, 0, 0), 1));
  painter.drawRect(frame.adjusted(1, 1, -1, -1));
}

void OverviewWindow::resizeEvent(QResizeEvent*) { Refresh(); }

void OverviewWindow::showEvent(QShowEvent*) { Refresh(); }

void OverviewWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) CentreViewAt(event->position().toPoint());
}

void OverviewWindow::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) CentreViewAt(event->position().toPoint());
}

void OverviewWindow::CentreViewAt(QPoint at) {
  if (overview_.Placed().width <= 0 || !centreViewOn_) return;
  const render::MapPixel target = overview::MapPixelAt(scene_, overview_.Placed(), at.x(), at.y());
  centreViewOn_(target.px, target.py);
}

}  // namespace desktop
