#include <memory>

#include "tool/Commands.h"
#include "tool/Output.h"
#include "world/TurnFile.h"

namespace tool {
namespace {

std::string PlayerJson(const world::TPlayer& player) {
  exporting::JsonArray units;
  for (int u = 1; u <= player.count; ++u) {
    const world::TUnit& unit = player.units[u];
    units.Add(exporting::JsonArray().Add(unit.x).Add(unit.y).Add(unit.kind).str());
  }
  return exporting::JsonObject()
      .Add("name", exporting::JsonCp1251String(player.name))
      .Add("num1", player.num1)
      .Add("num2", player.num2)
      .Add("units", units.str())
      .str();
}

}  // namespace

int TurnCommand(const Arguments& args) {
  auto World = std::make_unique<world::TMap>();
  uint8_t PlayerCount = 0;
  const std::optional<std::string> error = ErrorOfRead([&] { world::ReadTurnFile(*World, PlayerCount, args[0]); });
  exporting::JsonArray players;
  for (int p = 1; p <= PlayerCount; ++p) players.Add(PlayerJson(World->players[p]));
  exporting::JsonObject json;
  json.Add("year", World->Year).Add("playerCount", PlayerCount).Add("players", players.str());
  return PrintResult(json, error);
}

}  // namespace tool
