#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <cstring>
#include <iostream>

#include "editor/CommandLine.h"
#include "desktop/TForm1.h"

int main(int argc, char* argv[]) {
  // Help and version need no desktop: answered before the application opens one.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) break;
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return std::cout << editor::HelpText(), 0;
    if (std::strcmp(argv[i], "--version") == 0) return std::cout << editor::VersionText(), 0;
  }
  QApplication application(argc, argv);
  // What Qt left of the arguments (its own, such as -platform, it took), in the system's encoding.
  std::vector<std::string> args;
  const QStringList given = QApplication::arguments();
  for (qsizetype i = 1; i < given.size(); ++i) args.push_back(QFile::encodeName(given[i]).toStdString());
  editor::CommandLine line = editor::ParseCommandLine(args);
  if (!line.error.empty()) std::cerr << "tirmagor-editor: " << line.error << "\n";
  if (line.chooseWorld && line.error.empty()) {
    const QString folder = QFileDialog::getExistingDirectory(nullptr, "Открыть мир Тирмагора", QDir::homePath());
    if (!folder.isEmpty()) line.world = editor::LocateWorld(QFile::encodeName(folder).toStdString());
  }
  desktop::TForm1 form1({}, line.world);
  if (!line.error.empty()) form1.ShowError(line.error);
  form1.CreateReferenceWindow();
  form1.show();
  return application.exec();
}
