#pragma once
// The main window's client area: shows the window surface that the editor draws on and hands
// the mouse events that reach the surface itself (not its child controls) to the window.

#include <QWidget>
#include <functional>

#include "editor/Ui.h"
#include "render/Surface.h"

namespace desktop {

class ClientSurface : public QWidget {
 public:
  struct Handlers {
    std::function<void(editor::MouseButton, int x, int y)> press;
    std::function<void(editor::MouseButton, int x, int y)> release;
    std::function<void(int x, int y)> move;
    std::function<void()> doubleClick;
    std::function<void(int columns, int rows)> scroll;
    std::function<void(int width, int height)> resize;
    std::function<QString(int x, int y)> toolTip;  // plain text; empty: no tooltip there
  };

  ClientSurface(const render::Surface& shown, QWidget* parent);
  void SetHandlers(Handlers handlers) { handlers_ = std::move(handlers); }

  // Wheel turn, in eighths of a degree, that scrolls by CellsPerNotch cells.
  static constexpr int NotchAngle = 120;
  static constexpr int CellsPerNotch = 3;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  const render::Surface& shown_;
  Handlers handlers_;
  // Shows the tooltip for (x, y), or hides a tooltip that says something else.
  void ShowToolTip(QPoint at, QPoint globalAt);

  QPoint wheelRemainder_;  // turns smaller than a notch, as touchpads send them
  QString toolTipShown_;
};

}  // namespace desktop
