#include "export/WorldJson.h"

#include <algorithm>

namespace exporting {

Json TurnJson(const world::TMap& world, int playerCount) {
  Json players = Json::array();
  for (int p = 1; p <= std::min(playerCount, world::MaxPlayers); ++p) {
    const world::TPlayer& player = world.players[size_t(p)];
    Json units = Json::array();
    for (int u = 1; u <= std::min<int>(player.count, world::MaxUnits); ++u) {
      const world::TUnit& unit = player.units[size_t(u)];
      units.push_back({unit.x, unit.y, unit.kind});
    }
    players.push_back(
        {{"name", NameJson(player.name)}, {"num1", player.num1}, {"num2", player.num2}, {"units", std::move(units)}});
  }
  return {{"year", world.Year}, {"playerCount", playerCount}, {"players", std::move(players)}};
}

Json LandJson(const world::TMap& world, int landCount) {
  Json lands = Json::array();
  for (int k = 1; k <= world::MaxLands; ++k) {
    const world::zemla& land = world.lands[size_t(k)];
    if (IsNamedLand(land)) lands.push_back({{"index", k}, {"name", NameJson(land.name)}, {"income", land.income}});
  }
  return {{"landCount", landCount},
          {"land", CellGridJson(world, &world::TCell::land)},
          {"mine", CellGridJson(world, &world::TCell::mine)},
          {"lands", std::move(lands)}};
}

Json PaletteJson(const world::TPalette& palette) {
  Json colours = Json::array();
  for (int p = 1; p <= world::MaxPlayers; ++p) {
    const world::Color colour = palette[size_t(p)];
    colours.push_back({world::RedOf(colour), world::GreenOf(colour), world::BlueOf(colour)});
  }
  return {{"palette", std::move(colours)}};
}

Json CellGridJson(const world::TMap& world, uint8_t world::TCell::*field) {
  Json rows = Json::array();
  for (int y = 1; y <= world::MapHeight; ++y) {
    Json row = Json::array();
    for (int x = 1; x <= world::MapWidth; ++x) row.push_back(world.cells[size_t(x)][size_t(y)].*field);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace exporting
