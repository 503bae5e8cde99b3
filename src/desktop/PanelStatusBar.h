#pragma once
// A status bar of fixed-width text panels that stays where it is put (it is not docked to a
// window edge, unlike QStatusBar).

#include <QString>
#include <QWidget>
#include <vector>

namespace desktop {

class PanelStatusBar : public QWidget {
 public:
  struct Panel {
    int width;
    Qt::Alignment alignment;
    QString text;
  };

  PanelStatusBar(std::vector<Panel> panels, QWidget* parent);

  int PanelCount() const { return int(panels_.size()); }
  const Panel& PanelAt(int index) const { return panels_.at(size_t(index)); }
  // Panels outside 0..PanelCount()-1 are ignored.
  void SetPanelText(int index, const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<Panel> panels_;
};

}  // namespace desktop
