#include <QApplication>

#include "app/TForm1.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  app::TForm1 form1;
  form1.CreateReferenceWindow();
  form1.show();
  return application.exec();
}
