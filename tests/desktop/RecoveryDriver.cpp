// tirmagor-recovery-driver WORLD YEAR X Y: the editor as the program opens it in WORLD, with the
// year typed into its field and a unit of kind 5 placed with the mouse on cell (X, Y); prints
// "edited" and goes on running, for a test to kill it as a crash would.

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "desktop/TForm1.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s WORLD YEAR X Y\n", argv[0]);
    return 2;
  }
  QApplication application(argc, argv);
  const std::string world = argv[1];
  desktop::TForm1 form1([](const QString&, const QString& text) { std::fprintf(stderr, "error: %s\n", qPrintable(text)); },
                        editor::WorldLocation{world, world + "/", std::nullopt});
  form1.show();
  if (!QTest::qWaitForWindowExposed(&form1)) return 1;
  form1.findChild<QLineEdit*>("SpinEdit1")->setText(argv[2]);
  QWidget* surface = form1.centralWidget();
  auto click = [&](QPoint client) {
    QTest::mouseClick(form1.windowHandle(), Qt::LeftButton, {}, surface->mapTo(&form1, client));
  };
  const int x = std::atoi(argv[3]), y = std::atoi(argv[4]);
  click({281 + 4 * 20 + 5, 5});                       // kind 5 in the kind strip
  click({2 + 20 * x + 30, 30 + 20 * (y - 1) + 28});  // placed on the cell
  std::printf("edited\n");
  std::fflush(stdout);
  return application.exec();
}
