#include <iostream>
#include <memory>

#include "tool/Commands.h"
#include "world/FileError.h"
#include "world/TurnFile.h"

namespace tool {

// Loading and saving a turn in the editor: the year written is the one the file held.
int RewriteCommand(const Arguments& args) {
  auto World = std::make_unique<world::TMap>();
  uint8_t PlayerCount = 0;
  try {
    world::ReadTurnFile(*World, PlayerCount, args[0]);
    world::WriteTurnFile(*World, PlayerCount, args[1]);
  } catch (const world::FileError& e) {
    std::cerr << e.what() << "\n";
    return ExitFailed;
  }
  return ExitOk;
}

}  // namespace tool
