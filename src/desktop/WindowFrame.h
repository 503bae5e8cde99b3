#pragma once
// Placing a top-level window by its outer frame, as the window descriptions give it.

#include <QPoint>
#include <QSize>

class QWidget;

namespace desktop {

// Puts the frame's top-left corner at `position` and makes the outer size, frame and caption
// included, `outerSize`. The frame counts only where the window system has told its size, which
// is after the window was first shown: call this again then.
void PlaceWindowFrame(QWidget& window, QPoint position, QSize outerSize);

}  // namespace desktop
