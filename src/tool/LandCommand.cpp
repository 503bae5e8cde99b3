#include <memory>

#include "export/WorldJson.h"
#include "tool/Commands.h"
#include "tool/Output.h"
#include "world/LandFile.h"

namespace tool {

int LandCommand(const Arguments& args) {
  auto World = std::make_unique<world::TMap>();
  uint8_t LandCount = 0;
  const std::optional<std::string> error = ErrorOfRead([&] { world::ReadLandFile(*World, LandCount, args[0]); });
  return PrintResult(exporting::LandJson(*World, LandCount), error);
}

}  // namespace tool
