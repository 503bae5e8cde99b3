#include "editor/CommandLine.h"

namespace editor {

namespace fs = std::filesystem;

namespace {

bool HoldsLandFile(const fs::path& folder) {
  std::error_code ec;
  return fs::is_regular_file(folder / "orv.dat", ec);
}

std::string WithSeparator(const fs::path& folder) {
  std::string text = folder.string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

}  // namespace

std::optional<WorldLocation> LocateWorld(const fs::path& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec).lexically_normal();
  if (ec || !fs::exists(absolute, ec)) return std::nullopt;
  if (fs::is_directory(absolute, ec)) return WorldLocation{absolute, WithSeparator(absolute), std::nullopt};
  const fs::path turnFolder = absolute.parent_path();
  // Worlds may keep their years in a subfolder: the nearest folder up that holds the land file.
  fs::path world = turnFolder;
  for (fs::path folder = turnFolder;; folder = folder.parent_path()) {
    if (HoldsLandFile(folder)) {
      world = folder;
      break;
    }
    if (folder == folder.parent_path()) break;  // no world above: start-up reports what is missing
  }
  return WorldLocation{world, WithSeparator(turnFolder), absolute};
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  std::vector<std::string> paths;
  bool optionsEnd = false;
  for (const std::string& arg : args) {
    if (!optionsEnd && arg == "--") {
      optionsEnd = true;
    } else if (!optionsEnd && (arg == "--help" || arg == "-h")) {
      return {CommandLine::Action::Help, std::nullopt, ""};
    } else if (!optionsEnd && arg == "--version") {
      return {CommandLine::Action::Version, std::nullopt, ""};
    } else if (!optionsEnd && arg == "--choose-world") {
      line.chooseWorld = true;
    } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
      return {CommandLine::Action::Start, std::nullopt, "Неизвестный параметр «" + arg + "». " + "tirmagor-editor --help"};
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.size() > 1) return {CommandLine::Action::Start, std::nullopt, "Можно открыть только одну папку или один ход."};
  if (paths.empty()) return line;
  line.chooseWorld = false;  // the file manager gave what to open
  line.world = LocateWorld(paths[0]);
  if (!line.world) line.error = "Нет такого файла или папки: " + paths[0];
  return line;
}

std::string HelpText() {
  return "Использование: tirmagor-editor [ПАПКА | ХОД.tvk]\n"
         "\n"
         "Открывает мир Тирмагора: без аргумента — из текущей папки; с папкой — из неё;\n"
         "с файлом хода — мир из папки хода (или ближайшей папки выше, где есть orv.dat)\n"
         "и сам ход, а годы ищутся рядом с ходом.\n"
         "\n"
         "  --choose-world  без папки и хода — спросить папку мира (так запускает меню)\n"
         "  --help          эта справка\n"
         "  --version       версия программы\n";
}

std::string VersionText() { return "tirmagor-editor " TIRMAGOR_VERSION "\n"; }

}  // namespace editor
