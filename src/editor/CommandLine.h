#pragma once
// What the editor is asked to open when it is started: nothing (the working folder, as always),
// a world folder, or a turn file whose world is found around it. Free of any toolkit.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace editor {

// Where a world's files are and what to open in it.
struct WorldLocation {
  std::filesystem::path folder;  // start-up reads orv.dat, the pictures and Рифленка.bmp here
  std::string epochDir;          // year changes look here; with its trailing separator
  std::optional<std::filesystem::path> turn;  // loaded after start-up, as "Загрузить ход" loads it
  bool operator==(const WorldLocation&) const = default;
};

// The world of a folder, or of a turn file: the turn's folder when it holds "orv.dat", else the
// nearest folder above that does, else the turn's folder all the same. Nothing for a path that
// does not exist.
std::optional<WorldLocation> LocateWorld(const std::filesystem::path& path);

struct CommandLine {
  enum class Action { Start, Help, Version } action = Action::Start;
  std::optional<WorldLocation> world;  // none: the working folder, as without an argument
  std::string error;                   // for the error box and standard error; empty when fine
  // --choose-world without a path, as the desktop menu starts the editor: ask for the world's
  // folder before start-up (cancelled: start as without an argument).
  bool chooseWorld = false;
};

// The program's arguments after its name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The texts of --help and --version.
std::string HelpText();
std::string VersionText();

}  // namespace editor
