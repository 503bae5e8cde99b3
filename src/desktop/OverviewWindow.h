#pragma once
// The overview window: a tool window above the main window that shows the whole composed map,
// frames the part the main view shows, and moves the view to where it is clicked or dragged.
// It never takes the keyboard focus, and closing it only hides it.

#include <QWidget>
#include <functional>

#include "overview/Overview.h"

namespace desktop {

class OverviewWindow : public QWidget {
 public:
  // `centreViewOn` receives the map pixel the user clicked or dragged to.
  OverviewWindow(const render::Scene& scene, QWidget* mainWindow, std::function<void(int px, int py)> centreViewOn);

  // Shows the window beside the main window the first time, or hides it.
  void Toggle();
  // After anything that may have changed the map or the view: makes the picture anew where the
  // map changed and repaints where the frame moved. Does nothing while hidden.
  void Refresh();

  const overview::Overview& Shown() const { return overview_; }
  render::Area Frame() const { return frame_; }

  static constexpr QSize InitialSize{480, 331};

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void CentreViewAt(QPoint at);
  void PlaceBesideMainWindow();

  const render::Scene& scene_;
  std::function<void(int, int)> centreViewOn_;
  overview::Overview overview_;
  render::Area frame_;
  bool placed_ = false;
};

}  // namespace desktop
