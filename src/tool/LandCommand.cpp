#include <memory>

#include "tool/Commands.h"
#include "tool/Json.h"
#include "world/LandFile.h"

namespace tool {
namespace {

// One array per row, y = 1 first, of the byte `field` picks from each cell.
template <typename Field>
std::string GridJson(const world::TMap& World, Field field) {
  JsonArray rows;
  for (int y = 1; y <= world::MapHeight; ++y) {
    JsonArray row;
    for (int x = 1; x <= world::MapWidth; ++x) row.Add(field(World.cells[x][y]));
    rows.Add(row.str());
  }
  return rows.str();
}

std::string LandsJson(const world::TMap& World) {
  JsonArray lands;
  for (int k = 1; k <= world::MaxLands; ++k) {
    const world::zemla& land = World.lands[k];
    if (land.name.empty() && land.income == 0) continue;
    lands.Add(JsonObject()
                  .Add("index", k)
                  .Add("name", JsonCp1251String(land.name))
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
  JsonObject json;
  json.Add("landCount", LandCount)
      .Add("land", GridJson(*World, [](const world::TCell& cell) { return cell.land; }))
      .Add("mine", GridJson(*World, [](const world::TCell& cell) { return cell.mine; }))
      .Add("lands", LandsJson(*World));
  return PrintResult(json, error);
}

}  // namespace tool
