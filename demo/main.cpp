// tirmagor-demo-gen WORLD_FOLDER [--icons ICON_FOLDER]: writes the demo world (and the
// application icons) that the build bundles with the editor.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string_view>

#include "AppIcons.h"
#include "DemoWorld.h"

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::string_view(argv[2]) == "--icons")) {
    std::fprintf(stderr, "usage: %s WORLD_FOLDER [--icons ICON_FOLDER]\n", argv[0]);
    return 2;
  }
  try {
    demo::WriteDemoWorld(argv[1]);
    if (argc == 4) demo::WriteAppIcons(argv[3]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    return 1;
  }
  return 0;
}
