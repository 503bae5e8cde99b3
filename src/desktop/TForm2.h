#pragma once
// The reference window: a tool window beside the main window that shows one fixed picture.

#include <QWidget>
#include <filesystem>

#include "render/Surface.h"

namespace desktop {

class TForm2 : public QWidget {
 public:
  // Created hidden, above `mainWindow` while the program is active, at its described place and size.
  explicit TForm2(QWidget* mainWindow);

  // Loads "Рифленка.bmp" from `folder` (empty: the working directory) and takes the picture's
  // size as the window's outer size. Throws world::FileError; the window then keeps its size.
  void FormCreate(const std::filesystem::path& folder = {});

  // Visible: hide, disable and give the focus back to the main window; hidden: show, enable
  // and take the focus.
  void ToggleReferenceWindow();

  const render::Surface& RefPicture() const { return refPicture_; }

  static constexpr QPoint FramePosition{-2, 70};
  static constexpr QSize DescribedSize{579, 423};

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void FormActivate();
  void FormDblClick();

  render::Surface refPicture_;
  QSize outerSize_ = DescribedSize;
  bool frameKnown_ = false;
};

}  // namespace desktop
