#include "desktop/WindowFrame.h"

#include <QMargins>
#include <QWidget>
#include <QWindow>

namespace desktop {

void PlaceWindowFrame(QWidget& window, QPoint position, QSize outerSize) {
  const QMargins frame = window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
  // move() of a top-level widget places its frame; resize() sets the size inside the frame.
  window.move(position);
  window.resize(outerSize.shrunkBy(frame).expandedTo(QSize(1, 1)));
}

}  // namespace desktop
