#include <memory>

#include "tool/Commands.h"
#include "tool/Output.h"
#include "export/WorldJson.h"
#include "world/LandFile.h"

namespace tool {
namespace {

std::string LandsJson(const world::TMap& World) {
  exporting::JsonArray lands;
  for (int k = 1; k <= world::MaxLands; ++k) {
    const world::zemla& land = World.lands[k];
    if (!exporting::IsNamedLand(land)) continue;
    lands.Add(exporting::JsonObject()
                  .Add("index", k)
                  .Add("name", exporting::JsonCp1251String(land.name))
                  .Add("income", land.income)
                  .str());
  }
  return lands.str();
}

}  // namespace

int LandCommand(const Arguments& args) {
  auto World = std::make_unique<world::TMap>();
  uint8_t LandCount = 0;
  const std::optional<std::string> error = ErrorOfRead([&] { world::ReadLandFile(*World, LandCount, args[0]); });
  exporting::JsonObject json;
  json.Add("landCount", LandCount)
      .Add("land", exporting::CellGridJson(*World, [](const world::TCell& cell) { return cell.land; }))
      .Add("mine", exporting::CellGridJson(*World, [](const world::TCell& cell) { return cell.mine; }))
      .Add("lands", LandsJson(*World));
  return PrintResult(json, error);
}

}  // namespace tool
