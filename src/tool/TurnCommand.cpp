#include <memory>

#include "export/WorldJson.h"
#include "tool/Commands.h"
#include "tool/Output.h"
#include "world/TurnFile.h"

namespace tool {

int TurnCommand(const Arguments& args) {
  auto World = std::make_unique<world::TMap>();
  uint8_t PlayerCount = 0;
  const std::optional<std::string> error = ErrorOfRead([&] { world::ReadTurnFile(*World, PlayerCount, args[0]); });
  return PrintResult(exporting::TurnJson(*World, PlayerCount), error);
}

}  // namespace tool
