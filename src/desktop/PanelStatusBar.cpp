#include "desktop/PanelStatusBar.h"

#include <QPainter>
#include <qdrawutil.h>

namespace desktop {

namespace {
constexpr int TextPadding = 2;
}

PanelStatusBar::PanelStatusBar(std::vector<Panel> panels, QWidget* parent)
    : QWidget(parent), panels_(std::move(panels)) {
  setCursor(Qt::ArrowCursor);
  setAutoFillBackground(true);  // it covers the map below it
}

void PanelStatusBar::SetPanelText(int index, const QString& text) {
  if (index < 0 || index >= PanelCount()) return;
  Panel& panel = panels_[size_t(index)];
  if (panel.text == text) return;
  panel.text = text;
  update();
}

void PanelStatusBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  int left = 0;
  for (const Panel& panel : panels_) {
    const QRect frame(left, 0, panel.width, height());
    qDrawShadePanel(&painter, frame, palette(), /*sunken=*/true, 1);
    const QRect textArea = frame.adjusted(TextPadding, 1, -TextPadding, -1);
    painter.setClipRect(textArea);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(textArea, int(panel.alignment | Qt::AlignVCenter) | Qt::TextSingleLine, panel.text);
    painter.setClipping(false);
    left += panel.width;
  }
}

}  // namespace desktop
