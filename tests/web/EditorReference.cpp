// tirmagor-editor-reference WORLD COMMAND...: the native editor, started in the folder WORLD as
// the desktop starts in its working folder, at the design size, runs the commands in order and
// prints what the browser tests compare their page with.
//   size W H          the client area W x H, the outer size grown by as much
//   year N            the year field set to N (its turn, if any, loaded)
//   press B X Y       a mouse press (B: L, R or M) at window pixel X, Y; release B X Y likewise
//   undo, redo        the edit menu's commands
//   scroll C R        the wheel, in cells
//   window, map       print "window 0x…", "map 0x…": fingerprints of the window surface, the map
//   tooltip X Y       print "tooltip TEXT": the tooltip at window pixel X, Y, its line breaks as \n
//   save PATH         "Сохранить ход" into PATH
//   open PATH         "Загрузить ход" of PATH
// A failing step prints "error TEXT" and the commands go on, as the window's handlers do.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

#include "Fingerprint.h"
#include "editor/Editor.h"
#include "editor/HeadlessUi.h"

namespace {

editor::MouseButton ButtonOf(std::string_view name) {
  return name == "R" ? editor::MouseButton::Right : name == "M" ? editor::MouseButton::Middle : editor::MouseButton::Left;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s WORLD COMMAND...\n", argv[0]);
    return 2;
  }
  editor::HeadlessUi ui;
  editor::Editor editor(ui);
  auto run = [](auto&& step) {
    try {
      step();
    } catch (const std::exception& error) {
      std::printf("error %s\n", error.what());
    }
  };
  std::error_code noFolder;
  std::filesystem::current_path(argv[1], noFolder);
  if (noFolder) {
    std::fprintf(stderr, "no folder %s\n", argv[1]);
    return 2;
  }
  run([&] { editor.FormCreate(); });
  run([&] { editor.ResizeWindowSurface(1130, 806); });

  int at = 2;
  auto number = [&] { return at < argc ? std::atoi(argv[at++]) : 0; };
  while (at < argc) {
    const std::string_view command = argv[at++];
    if (command == "size") {
      const int width = number(), height = number();
      run([&] { editor.ResizeWindow(width, height, width + 16, height + 51); });
    } else if (command == "year") {
      ui.year = number();
      run([&] { editor.SpinEdit1Change(); });
    } else if (command == "press" || command == "release") {
      const editor::MouseButton button = ButtonOf(at < argc ? argv[at++] : "L");
      const int x = number(), y = number();
      run([&] {
        if (command == "press")
          editor.MouseDOwn(button, x, y);
        else
          editor.Image1MouseUp(button, x, y);
      });
    } else if (command == "undo") {
      run([&] { editor.Undo(); });
    } else if (command == "redo") {
      run([&] { editor.Redo(); });
    } else if (command == "scroll") {
      const int columns = number(), rows = number();
      run([&] { editor.ScrollByCells(columns, rows); });
    } else if (command == "window") {
      std::printf("window %s\n", test_support::Hex(test_support::Fingerprint(editor.scene.Window)).c_str());
    } else if (command == "map") {
      std::printf("map %s\n", test_support::Hex(test_support::Fingerprint(editor.scene.ComposedMap.Picture())).c_str());
    } else if (command == "tooltip") {
      const int x = number(), y = number();
      std::string text = editor.ToolTipAt(x, y);
      for (size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 2)) text.replace(i, 1, "\\n");
      std::printf("tooltip %s\n", text.c_str());
    } else if (command == "open" && at < argc) {
      const std::filesystem::path path = argv[at++];
      run([&] { editor.OpenTurn(path); });
    } else if (command == "save" && at < argc) {
      const std::filesystem::path path = argv[at++];
      run([&] {
        editor.World.Year = ui.YearFieldValue();
        editor.SaveTurn(path);
      });
    } else {
      std::fprintf(stderr, "unknown command: %s\n", std::string(command).c_str());
      return 2;
    }
  }
  return 0;
}
