#include "desktop/TForm2.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include "render/SurfaceImage.h"
#include "desktop/WindowFrame.h"

namespace desktop {

TForm2::TForm2(QWidget* mainWindow) : QWidget(mainWindow, Qt::Tool) {
  setObjectName("Form2");
  setWindowTitle("Рифленка");
  PlaceWindowFrame(*this, FramePosition, outerSize_);
}

void TForm2::FormCreate(const std::filesystem::path& folder) {
  refPicture_.LoadBmp(folder / u8"Рифленка.bmp");
  outerSize_ = QSize(refPicture_.Width(), refPicture_.Height());
  PlaceWindowFrame(*this, FramePosition, outerSize_);
}

void TForm2::ToggleReferenceWindow() {
  if (isVisible()) {
    hide();
    setEnabled(false);
    // The main window gives the focus back to the control that had it.
    if (QWidget* mainWindow = parentWidget()) mainWindow->activateWindow();
  } else {
    show();
    setEnabled(true);
    raise();
    activateWindow();
    setFocus();
  }
}

void TForm2::paintEvent(QPaintEvent*) {
  const QImage picture = render::SurfaceImage(refPicture_);
  if (picture.isNull()) return;
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), picture);
}

void TForm2::mouseDoubleClickEvent(QMouseEvent*) { FormDblClick(); }

void TForm2::FormDblClick() { hide(); }

void TForm2::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
  QWidget::changeEvent(event);
}

void TForm2::FormActivate() { setWindowTitle("Рифленка"); }

void TForm2::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The window system tells the frame's size only once the window is on screen.
  if (!frameKnown_) {
    frameKnown_ = true;
    QMetaObject::invokeMethod(
        this, [this] { PlaceWindowFrame(*this, FramePosition, outerSize_); }, Qt::QueuedConnection);
  }
}

}  // namespace desktop
