#pragma once
// Up and down buttons with a position in a range and no field of their own: each click moves
// the position by one, stopping at the ends, and then reports the click.

#include <QWidget>

class QToolButton;

namespace desktop {

class UpDownButtons : public QWidget {
  Q_OBJECT
 public:
  UpDownButtons(int minimum, int maximum, int position, QWidget* parent);

  int Position() const { return position_; }
  int Maximum() const { return maximum_; }
  void SetMaximum(int maximum);
  void SetPosition(int position);  // kept within the range; reports no click

 signals:
  void Clicked();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Step(int delta);

  int minimum_;
  int maximum_;
  int position_;
  QToolButton* upButton_;
  QToolButton* downButton_;
};

}  // namespace desktop
